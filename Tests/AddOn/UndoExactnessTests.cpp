// Undo and redo of every kind of user action, with the add-on reacting as it does live: undo
// brings back the whole project exactly as it was, redo exactly as the action left it.
#include "LiveFixture.hpp"

namespace LiveTest {
namespace {

struct Action {
    const char* name;
    std::function<GSErrCode(Host::Application&)> act;
};

class UndoExactnessTest : public LiveFixture {};

TEST_F(UndoExactnessTest, EveryActionIsTakenBackAndRedoneExactly)
{
    Open(Builder()
             .Zone(Zone("Z1", "A"))
             .Zone(Zone("Z2", "A", 2))
             .Zone(Zone("Z3", "B"))
             .Zone(Zone("Z4", std::nullopt))
             .Label(Arealist("L1", "A", {"Z1", "Z2"}))
             .Label(Arealist("L2", "B", {"Z3"})));
    const std::vector<Action> actions = {
        {"menu create", [](Host::Application& a) { return a.ChooseMenu(32501, 1); }},
        {"palette", [](Host::Application& a) { return a.ChooseMenu(32502, 1); }},
        {"area grows",
         [](Host::Application& a) {
             return a.SetZone(G("Z1"), [](Host::Element& zone) { zone.quantities = {30, 30, 29, 29, 0}; });
         }},
        {"room to TOP B", [](Host::Application& a) { return a.SetZoneParam(G("Z2"), "stApartmentId", Text("B")); }},
        {"room loses its TOP",
         [](Host::Application& a) { return a.SetZoneParam(G("Z3"), "stApartmentId", Removed()); }},
        {"room moved", [](Host::Application& a) { return a.MoveElement(G("Z1"), 2, 1); }},
        {"room copied",
         [](Host::Application& a) {
             API_Guid copy;
             return a.CopyElement(G("Z1"), "Z1c", 5, 0, copy);
         }},
        {"Arealist copied",
         [](Host::Application& a) {
             API_Guid copy;
             return a.CopyElement(G("L1"), "L1c", 0, 5, copy);
         }},
        {"Arealist TOP edited",
         [](Host::Application& a) { return a.SetLabelParam(G("L1"), "al_apartmentId", Text("B")); }},
        {"Arealist placed on a room",
         [](Host::Application& a) {
             API_Guid placed;
             return a.PlaceLabel("P1", G("Z4"), std::nullopt, std::nullopt, placed);
         }},
        {"update all", [](Host::Application& a) { return a.PaletteButton(10); }},
        {"room deleted", [](Host::Application& a) { return a.DeleteElement(G("Z2")); }},
        {"Arealist deleted", [](Host::Application& a) { return a.DeleteElement(G("L2")); }},
    };
    std::size_t undone = 0;
    for (const Action& action : actions) {
        SCOPED_TRACE(action.name);
        const Host::Project before = Live();
        const std::size_t steps = app->UndoTexts().size();
        ASSERT_EQ(action.act(*app), NoError);
        if (app->UndoTexts().size() == steps)
            continue; // nothing changed, nothing to take back
        const Host::Project after = Live();
        ASSERT_EQ(app->Undo(), NoError);
        ++undone;
        EXPECT_EQ(Host::ProjectDifference(before, Live()), "");
        ASSERT_EQ(app->Redo(), NoError);
        EXPECT_EQ(Host::ProjectDifference(after, Live()), "");
    }
    EXPECT_EQ(undone, actions.size() - 1) << "only showing the palette changes nothing";
}

} // namespace
} // namespace LiveTest
