// `expect` and `show` read the state part by part: every way of naming an element (an id from the
// project file, an id beside an explicit GUID, one given in the session, a GUID string, a TOP),
// every subject's answer and message, and `show` printing exactly the dump's entry.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "../../../Sources/Host/Model/Application.hpp"
#include "../../../Sources/Runner/Project/ProjectLoader.hpp"
#include "../../../Sources/Runner/Project/StateDump.hpp"
#include "../../../Sources/Runner/Session/SessionParser.hpp"
#include "../../../Sources/Runner/Session/SessionPlayer.hpp"
#include "../../../Sources/Runner/Session/StateView.hpp"

namespace {

const char* const projectText = R"({
  "layers": [{"index": 1, "name": "Zones"}, {"index": 2, "name": "Closed", "locked": true}],
  "zoneCategories": [{"index": 1, "code": "WNF", "name": "Living"}, {"index": 2, "code": "BAL", "name": "Balcony"}],
  "zones": [
    {"id": "Z1", "number": "1.01", "name": "Kitchen", "top": "TOP 1", "quantities": [20, 20, 19.5, 19.5, 0],
     "polygon": [[0, 0], [4, 0], [4, 5]]},
    {"id": "Z2", "category": 2, "number": "1.02", "name": "Balcony", "top": "TOP 1", "quantities": [5, 5, 5, 2.5, 0]},
    {"id": "Z3", "number": "1.03", "name": "Living", "top": "TOP 2", "quantities": [30, 30, 29, 29, 0]},
    {"id": "Z4", "number": "1.04", "name": "Odd", "top": "TOP 2", "quantities": [10, 12, 9, 9, 0]},
    {"id": "Z5", "number": "1.05", "name": "Hall", "quantities": [4, 4, 4, 4, 0]},
    {"id": "Z7", "guid": "11111111-2222-3333-4444-555555555555", "number": "1.07", "name": "Store", "top": "",
     "quantities": [3, 3, 3, 3, 0]}],
  "labels": [{"id": "L1", "libPart": "Generic Label", "pos": [1, 2], "parent": "Z1"},
             {"id": "L2", "libPart": "Arealist", "pos": [3, 4], "params": {"al_apartmentId": "TOP 9"},
              "links": ["Z5"], "observed": true}],
  "elements": [{"id": "W1", "type": "wall"}],
  "labelTool": {"class": "symbol", "libPart": "Arealist", "layer": 1}
})";

// Arealists for TOP 1, TOP 2 and the empty TOP (created without ids), the one of TOP 2 named A2,
// a room added in the session, a room deleted.
const char* const setup[] = {"menu 32501", "name top:\"TOP 2\" A2",
                             "zone add Z9 top=\"TOP 1\" number=1.09 name=\"New room\" quantities=1,1,1,1,0",
                             "zone delete Z4"};

class ExpectOnState : public testing::Test {
protected:
    void SetUp() override
    {
        Host::Options options;
        options.resourcesDir = AREALIST_RESOURCES_DIR;
        app = std::make_unique<Host::Application>(options);
        std::string error;
        ASSERT_TRUE(app->LoadAddOnModule(AREALIST_MODULE_PATH, error)) << error;
        app->StartAddOn();
        Host::Project project;
        const Runner::Status loaded = Runner::LoadProjectText(projectText, "p.json", app->LibraryParts(), project);
        ASSERT_TRUE(loaded) << loaded.Message();
        app->OpenProject(std::move(project));
        player = std::make_unique<Runner::SessionPlayer>(*app, trace, ".");
        for (const char* line : setup)
            ASSERT_TRUE(Play(line)) << line << "\n" << trace.str();
    }
    void TearDown() override
    {
        if (app)
            app->StopAddOn();
    }

    // Plays one session line; false on bad input, with `problem` saying why. `printed` is what it
    // wrote to the trace.
    bool Play(const std::string& line)
    {
        std::optional<Runner::Command> command;
        if (const Runner::Status parsed = Runner::ParseSessionLine(line, 1, command); !parsed || !command) {
            problem = parsed.Message();
            return false;
        }
        trace.str("");
        const Runner::Status played = player->Play(*command);
        printed = trace.str();
        problem = played.Message();
        return bool(played);
    }
    // The dump's entry of the element with that id, as `dump` writes it.
    std::string DumpEntry(const std::string& id) const
    {
        const Runner::Json state = Runner::BuildState(*app);
        for (const char* section : {"zones", "labels"})
            for (const Runner::Json& entry : state[section])
                if (entry["id"] == id)
                    return entry.dump(2) + "\n";
        return "no entry for " + id;
    }
    std::string DumpId(const std::string& top) const
    {
        for (const Host::StoredElement* label : app->GetProject().elements.OfType(API_LabelID))
            if (const Host::Param* param = Host::FindParam(label->element, "al_apartmentId");
                param != nullptr && param->text.ToUtf8() == top && !label->element.deleted)
                return Runner::DumpId(label->element);
        return "no Arealist of " + top;
    }

    std::unique_ptr<Host::Application> app;
    std::ostringstream trace;
    std::unique_ptr<Runner::SessionPlayer> player;
    std::string printed, problem;
};

struct Case {
    const char* expression;
    const char* failure; // nullptr: the expectation holds
};

TEST_F(ExpectOnState, SubjectsAnswerAndExplain)
{
    const std::string topOne = DumpId("TOP 1");
    const Case cases[] = {
        // counts: live elements only, Arealists by their part and TOP
        {"zones == 6", nullptr},
        {"zones == 7", "found 6, expected == 7.0"},
        {"labels == 5", nullptr},
        {"arealists == 4", nullptr},
        {"arealists \"\" == 1", nullptr},
        {"arealists \"TOP 9\" == 1", nullptr},
        {"arealists top:\"TOP 2\" == 1", nullptr},
        {"arealists top:\"TOP 3\" == 1", "found 0, expected == 1.0"},
        // elements named by file id, explicit GUID's id, session id, new name, TOP, GUID string
        {"field Z7 guid == \"11111111-2222-3333-4444-555555555555\"", nullptr},
        {"exists 11111111-2222-3333-4444-555555555555 == no", nullptr},
        {"field Z9 name == \"New room\"", nullptr},
        {"links A2 == Z3", nullptr},
        {"links Z1 == top:\"TOP 1\"", nullptr},
        {"links Z5 has top:\"TOP 9\"", nullptr},
        {"links Z5 has top:\"TOP 9\"#2", "top:\"TOP 9\"#2 names no live element"},
        // labels: an Arealist and a plain label
        {"field L1 parent == Z1", nullptr},
        {"field L1 pos == [1, 2]", nullptr},
        {"top L1 == none", nullptr},
        {"top A2 == \"TOP 2\"", nullptr},
        {"param L2 al_apartmentId == \"TOP 9\"", nullptr},
        {"param top:\"TOP 1\" al_roomCats == [1, 2, 1]", nullptr},
        {"field top:\"TOP 1\" libPart == \"Arealist\"", nullptr},
        // zones
        {"param Z5 stApartmentId == none", nullptr},
        {"param Z7 stApartmentId == \"\"", nullptr},
        {"field Z1 polygon == [[0, 0], [4, 0], [4, 5]]", nullptr},
        {"field Z1 nothing == 1", "Z1 has no field \"nothing\""},
        {"field Z1 quantities > 3", "found [20.0,20.0,19.5,19.5,0.0], which cannot be compared with > 3.0"},
        // what is no live zone or label
        {"exists Z4 == no", nullptr},
        {"exists W1", "found false, expected == true"},
        {"field Z4 name == \"Odd\"", "Z4 names no live element"},
        {"links W1 == none", "W1 names no live element"},
        {"links Z99 == none", "Z99 names no live element"},
        // the parts besides the elements
        {"palette visible", nullptr},
        {"palette rooms == none", nullptr},
        {"palette bogus == 1", "the palette has no \"bogus\" (visible, rooms, stamps, roomRows, stampRows)"},
        {"alert 31019 shown", nullptr},
        {"alerts == 2", "found 1, expected == 2.0"},
        {"layer 2 == 2", nullptr},
        {"layer 02 == 2", "found null, expected == 2.0"},
        {"undo == [\"Create Arealists\", \"zone add Z9\", \"delete\"]", nullptr},
        {"undo contains \"zone add\"", nullptr},
        {"undo contains \"zone move\"",
         "found [\"Create Arealists\",\"zone add Z9\",\"delete\"], expected contains \"zone move\""},
        {"undo contains 3", "contains needs a text"},
        {"field Z1 name contains \"itch\"", nullptr},
        {"memos == 0", nullptr},
        {"suspendGroups == no", nullptr},
        {"currentLayerCombination == 0", nullptr},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Play(std::string("expect ") + c.expression)) << c.expression;
        const std::string wanted =
            c.failure == nullptr ? "  ok\n"
                                 : "  EXPECT FAILED at line 1: " + std::string(c.expression) + ": " + c.failure + "\n";
        EXPECT_EQ(printed.substr(printed.find('\n') + 1), wanted) << c.expression;
    }
    ASSERT_TRUE(Play("expect links Z1 == " + topOne));
    EXPECT_NE(printed.find("  ok\n"), std::string::npos) << "an Arealist without id is named by its GUID string";
}

TEST_F(ExpectOnState, ShowPrintsTheDumpEntry)
{
    const std::vector<std::string> refs = {"Z1", "Z7", "Z9", "L1", "A2", "top:\"TOP 1\"", DumpId("TOP 1")};
    for (const std::string& ref : refs) {
        ASSERT_TRUE(Play("show " + ref)) << ref;
        const std::string id = ref.rfind("top:", 0) == 0 ? DumpId("TOP 1") : ref;
        EXPECT_EQ(printed.substr(printed.find('\n') + 1), DumpEntry(id)) << ref;
    }
    ASSERT_TRUE(Play("show W1"));
    EXPECT_EQ(printed, "> show W1\n  wall W1 on story 0, layer 1\n");
    // The session's own messages for what names nothing.
    const std::pair<const char*, const char*> bad[] = {
        {"show Z4", "element \"Z4\" was deleted"},
        {"show Z99", "no element with id \"Z99\""},
        {"show top:\"TOP 2\"#2", "no live Arealist top:\"TOP 2\"#2 (there are 1)"}};
    for (const auto& [line, message] : bad) {
        EXPECT_FALSE(Play(line)) << line;
        EXPECT_EQ(problem, message) << line;
    }
}

// TOPs are compared unit by unit where that gives what comparing the UTF-8 texts gives.
TEST(TextMatch, AgreesWithComparingUtf8)
{
    const std::u16string texts[] = {u"TOP 1",   u"TOP 10",  u"",        u"Top \u00e9", u"\U0001F3E0 1",
                                    u"A\xD800", u"A\xDC00", u"A\uFFFD", u"TOP\u00001"};
    const std::string utf8s[] = {"TOP 1",
                                 "TOP 10",
                                 "",
                                 "Top \xC3\xA9",
                                 "\xF0\x9F\x8F\xA0 1",
                                 "A\xEF\xBF\xBD",
                                 "A\xED\xA0\x80",
                                 "Top \xE9",
                                 std::string("TOP\0"
                                             "1",
                                             5)};
    for (const std::u16string& units : texts) {
        const GS::UniString text(units);
        for (const std::string& utf8 : utf8s)
            EXPECT_EQ(Runner::TextMatch(utf8)(text), text.ToUtf8() == utf8) << text.ToUtf8() << " / " << utf8;
    }
}

} // namespace
