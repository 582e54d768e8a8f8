// Property: whatever a user does to zones and Arealists, every live Arealist stays linked to
// exactly the live zones of its TOP and shows them. Seeded random sessions on a small project.
// AREALIST_PROPERTY_SESSIONS sets the number of sessions; AREALIST_PROPERTY_SEED replays one.
#include <cstdlib>
#include <random>
#include <sstream>

#include "LiveFixture.hpp"

namespace LiveTest {
namespace {

const std::vector<std::optional<std::string>> zoneTops = {"A", "B", "C", "", std::nullopt};
const std::vector<std::string> arealistTops = {"A", "B", "C", "", "X"};

class Session {
public:
    Session(Host::Application& app, unsigned seed) : app(app), random(seed) {}

    // One random user action, described in `log`.
    void Act(std::ostringstream& log)
    {
        switch (Pick(14)) {
        case 0:
        case 1:
            AddZone(log);
            break;
        case 2:
            CopyZone(log);
            break;
        case 3:
            ChangeZone(log);
            break;
        case 4:
            MoveZone(log);
            break;
        case 5:
            DeleteZone(log);
            break;
        case 6:
        case 7:
            SetZoneTop(log);
            break;
        case 8:
            CreateFromMenu(log);
            break;
        case 9:
            PlaceArealist(log);
            break;
        case 10:
            CopyArealist(log);
            break;
        case 11:
            SetArealistTop(log);
            break;
        case 12:
            DeleteArealist(log);
            break;
        default:
            if (Pick(2) == 0) {
                log << "undo";
                app.Undo();
            } else {
                log << "redo";
                app.Redo();
            }
            break;
        }
    }

private:
    std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random); }
    double Area() { return double(5 + Pick(40)); }

    std::vector<const Host::Element*> LiveOf(API_ElemTypeID type) const
    {
        std::vector<const Host::Element*> result;
        for (const Host::Element& element : app.GetProject().elements)
            if (!element.deleted && element.type == type)
                result.push_back(&element);
        return result;
    }

    const Host::Element* AnyZone()
    {
        const auto zones = LiveOf(API_ZoneID);
        return zones.empty() ? nullptr : zones[Pick(zones.size())];
    }

    const Host::Element* AnyArealist()
    {
        const auto arealists = LiveArealists(app.GetProject());
        return arealists.empty() ? nullptr : arealists[Pick(arealists.size())];
    }

    std::array<double, 5> Quantities()
    {
        const double q1 = Area();
        const double q2 = q1 - double(Pick(3));
        const double q3 = q2 - double(Pick(3));
        return {q1, q2, q3, q3 - double(Pick(2)), 0.0};
    }

    void AddZone(std::ostringstream& log)
    {
        Host::Element zone;
        zone.id = "Z" + std::to_string(++counter);
        zone.type = API_ZoneID;
        zone.layer = 1;
        zone.category = API_AttributeIndex(1 + Pick(3));
        zone.quantities = Quantities();
        zone.number = GS::UniString(zone.id);
        zone.name = "Room";
        const std::optional<std::string>& top = zoneTops[Pick(zoneTops.size())];
        if (top)
            zone.params.push_back(ZoneTopParam(*top));
        log << "zone add " << zone.id << " top=" << (top ? "\"" + *top + "\"" : "none");
        API_Guid guid;
        app.AddZone(zone, guid);
    }

    void CopyZone(std::ostringstream& log)
    {
        if (const Host::Element* zone = AnyZone()) {
            const std::string id = "Z" + std::to_string(++counter);
            log << "zone copy " << zone->id << " as " << id;
            API_Guid copy;
            app.CopyElement(zone->guid, id, 1, 1, copy);
        }
    }

    void ChangeZone(std::ostringstream& log)
    {
        if (const Host::Element* zone = AnyZone()) {
            const auto quantities = Quantities();
            const API_AttributeIndex category = API_AttributeIndex(1 + Pick(3));
            log << "zone set " << zone->id << " quantities/category=" << category;
            app.SetZone(zone->guid, [&](Host::Element& element) {
                element.quantities = quantities;
                element.category = category;
            });
        }
    }

    void MoveZone(std::ostringstream& log)
    {
        if (const Host::Element* zone = AnyZone()) {
            log << "zone move " << zone->id;
            app.MoveElement(zone->guid, 1, 2);
        }
    }

    void DeleteZone(std::ostringstream& log)
    {
        if (const Host::Element* zone = AnyZone()) {
            log << "zone delete " << zone->id;
            app.DeleteElement(zone->guid);
        }
    }

    void SetZoneTop(std::ostringstream& log)
    {
        if (const Host::Element* zone = AnyZone()) {
            const std::optional<std::string>& top = zoneTops[Pick(zoneTops.size())];
            Host::ParamValue value;
            if (top)
                value.text = GS::UniString(*top);
            else
                value.remove = true;
            log << "zone set " << zone->id << " top=" << (top ? "\"" + *top + "\"" : "none");
            app.SetZoneParam(zone->guid, "stApartmentId", value);
        }
    }

    void CreateFromMenu(std::ostringstream& log)
    {
        std::vector<API_Guid> selection;
        if (Pick(2) == 0) {
            if (const Host::Element* zone = AnyZone())
                selection.push_back(zone->guid);
        }
        log << "menu 32501 (" << selection.size() << " selected)";
        app.Select(selection);
        app.ChooseMenu(32501, 1);
    }

    // The TOP chooser offers the TOPs of the current floor; one of them, or cancel.
    void QueueChooserAnswer(std::ostringstream& log)
    {
        std::vector<std::string> offered;
        for (const Host::Element* zone : LiveOf(API_ZoneID)) {
            GS::UniString top;
            if (ZoneTop(*zone, top) && !top.IsEmpty())
                offered.push_back(top.ToUtf8());
        }
        if (offered.empty() || Pick(4) == 0) {
            log << " (cancel)";
            app.GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Cancel, ""});
            return;
        }
        const std::string choice = offered[Pick(offered.size())];
        log << " (choose " << choice << ")";
        app.GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Choose, GS::UniString(choice)});
        app.GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Ok, ""});
    }

    void PlaceArealist(std::ostringstream& log)
    {
        const std::string id = "N" + std::to_string(++counter);
        const Host::Element* zone = Pick(3) == 0 ? nullptr : AnyZone();
        GS::UniString top;
        log << "label place " << id << (zone != nullptr ? " on " + zone->id : std::string(" free"));
        if (zone == nullptr || !ZoneTop(*zone, top))
            QueueChooserAnswer(log);
        API_Guid placed;
        app.PlaceLabel(id, zone == nullptr ? std::nullopt : std::optional<API_Guid>(zone->guid), API_Coord{1.0, 1.0},
                       std::nullopt, placed);
        app.GetUserQueue().ClearQueues();
    }

    void CopyArealist(std::ostringstream& log)
    {
        if (const Host::Element* arealist = AnyArealist()) {
            const std::string id = "C" + std::to_string(++counter);
            log << "label copy " << Name(*arealist) << " as " << id;
            API_Guid copy;
            app.CopyElement(arealist->guid, id, 1, 1, copy);
        }
    }

    void SetArealistTop(std::ostringstream& log)
    {
        if (const Host::Element* arealist = AnyArealist()) {
            Host::ParamValue value;
            const std::string& top = arealistTops[Pick(arealistTops.size())];
            value.text = GS::UniString(top);
            log << "label set " << Name(*arealist) << " top=\"" << top << "\"";
            app.SetLabelParam(arealist->guid, "al_apartmentId", value);
        }
    }

    void DeleteArealist(std::ostringstream& log)
    {
        if (const Host::Element* arealist = AnyArealist()) {
            log << "label delete " << Name(*arealist);
            app.DeleteElement(arealist->guid);
        }
    }

    static std::string Name(const Host::Element& element)
    {
        return element.id.empty() ? APIGuidToString(element.guid).ToUtf8() : element.id;
    }

    Host::Application& app;
    std::mt19937 random;
    int counter = 100;
};

int EnvInt(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text == nullptr || *text == 0 ? fallback : std::atoi(text);
}

class PropertyTest : public LiveFixture {
protected:
    ProjectBuilder Start(unsigned seed) const
    {
        std::mt19937 random(seed);
        ProjectBuilder builder = Builder();
        for (int i = 0; i < 4; ++i) {
            ZoneEntry zone = Zone("Z" + std::to_string(i + 1), zoneTops[random() % 4], API_AttributeIndex(1 + i % 3));
            zone.quantities = {20.0 + i, 20.0, 19.0, 18.0, 0.0};
            builder.Zone(zone);
        }
        return builder;
    }

    // Empty when the project holds; otherwise what is wrong.
    std::string Problem() const
    {
        for (const Host::Element* arealist : Arealists()) {
            const std::string problem = ArealistProblem(app->GetProject(), *arealist);
            if (!problem.empty())
                return (arealist->id.empty() ? APIGuidToString(arealist->guid).ToUtf8() : arealist->id) + ": " +
                       problem;
        }
        if (app->MemosOutstanding() != 0)
            return "memos outstanding: " + std::to_string(app->MemosOutstanding());
        if (!app->AccountingIssues().empty())
            return "accounting: " + app->AccountingIssues().front();
        if (AlertCount(31001) != 0)
            return "error alert " + app->GetUserQueue().ShownAlerts().back().texts[0].ToUtf8();
        return "";
    }
};

TEST_F(PropertyTest, ArealistsFollowEveryUserAction)
{
    const int replay = EnvInt("AREALIST_PROPERTY_SEED", -1);
    const int sessions = replay >= 0 ? 1 : EnvInt("AREALIST_PROPERTY_SESSIONS", 300);
    const int actions = EnvInt("AREALIST_PROPERTY_ACTIONS", 50);
    for (int s = 0; s < sessions; ++s) {
        const unsigned seed = replay >= 0 ? unsigned(replay) : unsigned(1000 + s);
        Open(Start(seed));
        app->GetUserQueue().ClearQueues();
        Session session(*app, seed);
        std::ostringstream log;
        for (int a = 0; a < actions; ++a) {
            log << "\n  ";
            session.Act(log);
            const std::string problem = Problem();
            if (!problem.empty()) {
                ADD_FAILURE() << "seed " << seed << " (AREALIST_PROPERTY_SEED=" << seed << "), after action " << a
                              << ": " << problem << "\nactions:" << log.str();
                return;
            }
        }
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
    }
}

} // namespace
} // namespace LiveTest
