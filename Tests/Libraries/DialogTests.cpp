// DG: alerts, a modal dialog played by a user agent, list boxes, and palettes with their registry.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "../../Sources/Host/DG/DG.hpp"
#include "../../Sources/Host/RS/RS.hpp"

namespace {

class ScriptedAgent : public DG::UserAgent {
public:
    short AnswerAlert(const DG::AlertInfo& alert) override
    {
        alerts.push_back(alert);
        if (answers.empty())
            return 0; // 0: let the default button answer
        const short answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool PlayModalStep(DG::ModalDialog& dialog) override
    {
        if (steps.empty())
            return false;
        auto step = steps.front();
        steps.pop_front();
        step(dialog);
        return true;
    }
    void Trace(const std::string& line) override { trace.push_back(line); }

    std::deque<short> answers;
    std::deque<std::function<void(DG::ModalDialog&)>> steps;
    std::vector<DG::AlertInfo> alerts;
    std::vector<std::string> trace;
};

class DialogLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        module = RS::OpenModule(AREALIST_RESOURCES_DIR, "en", error);
        ASSERT_NE(module, InvalidResModule) << error;
        DG::SetUserAgent(&agent);
    }
    void TearDown() override
    {
        DG::SetUserAgent(nullptr);
        RS::CloseModule(module);
    }

    GSResModule module = InvalidResModule;
    ScriptedAgent agent;
};

TEST_F(DialogLibrary, AlertResolvesTextsAndTakesTheAgentsAnswer)
{
    agent.answers = {1};
    EXPECT_EQ(DG::Alert(module, 31010, "Z1, Z2", "", "", ""), 1);
    ASSERT_EQ(agent.alerts.size(), 1u);
    const DG::AlertInfo& shown = agent.alerts[0];
    EXPECT_EQ(shown.id, 31010);
    EXPECT_EQ(shown.texts[0], GS::UniString("Z1, Z2"));
    EXPECT_NE(shown.smallText.ToUtf8().find("Z1, Z2"), std::string::npos);
    EXPECT_EQ(shown.smallText.ToUtf8().find("^0"), std::string::npos);
    EXPECT_EQ(shown.defaultButton, 2);
    ASSERT_EQ(agent.trace.size(), 1u);
    EXPECT_EQ(agent.trace[0].rfind("alert 31010 \"Some zones are not reserved for you:\" / \"Z1, Z2\\n", 0), 0u)
        << agent.trace[0];
    EXPECT_NE(agent.trace[0].find("-> 1 (Reserve)"), std::string::npos) << agent.trace[0];
}

TEST_F(DialogLibrary, AlertFallsBackToItsDefaultButton)
{
    agent.answers = {0, 7, 3};
    EXPECT_EQ(DG::Alert(module, 31011, "A1", "", "", ""), 2); // no answer
    EXPECT_EQ(DG::Alert(module, 31011, "A1", "", "", ""), 2); // no such button
    EXPECT_EQ(DG::Alert(module, 31019, "", "", "", ""), 3);   // the third of three
    EXPECT_EQ(agent.trace[0].substr(agent.trace[0].size() - 20), "-> 2 (Don't Reserve)");
    DG::SetUserAgent(nullptr);
    EXPECT_EQ(DG::Alert(module, 31010, "Z1", "", "", ""), 2); // nobody at the screen
    EXPECT_EQ(DG::Alert(module, 31012, "", "", "", ""), 1);
    EXPECT_EQ(DG::Alert(module, 4242, "", "", "", ""), 0); // no such alert: no button
    EXPECT_EQ(DG::Alert(InvalidResModule, 31012, "", "", "", ""), 0);
}

TEST_F(DialogLibrary, HostAlertsHaveIdZeroAndTheirTextsFirst)
{
    agent.answers = {2, 2};
    EXPECT_EQ(DG::InformationAlert("Please choose a TOP ID!", "", "OK"), 1); // button 2 does not exist
    EXPECT_EQ(DG::ErrorAlert("Failed \"x\"", "small", "OK", "Retry"), 2);
    ASSERT_EQ(agent.alerts.size(), 2u);
    EXPECT_EQ(agent.alerts[0].id, 0);
    EXPECT_EQ(agent.alerts[0].texts[0], GS::UniString("Please choose a TOP ID!"));
    EXPECT_EQ(agent.alerts[0].buttons.size(), 1u);
    EXPECT_EQ(agent.alerts[1].texts[1], GS::UniString("small"));
    EXPECT_EQ(agent.alerts[1].buttons.size(), 2u);
    EXPECT_EQ(agent.trace[0], "alert 0 \"Please choose a TOP ID!\" -> 1 (OK)");
    EXPECT_EQ(agent.trace[1], "alert 0 \"Failed \\\"x\\\"\" / \"small\" -> 2 (Retry)");
}

// A chooser built like the add-on's TOP dialog: OK needs a selected row.
class Chooser : public DG::ModalDialog,
                public DG::PanelObserver,
                public DG::ButtonItemObserver,
                public DG::CompoundItemObserver {
public:
    explicit Chooser(GSResModule module)
        : DG::ModalDialog(module, 32510, module), okButton(*this, 1), cancelButton(*this, 2), list(*this, 4)
    {
        Attach(*this);
        AttachToAllItems(*this);
        list.SetTabFieldCount(1);
        for (const char* top : {"TOP 1", "TOP 2"}) {
            list.AppendItem();
            list.SetTabItemText(DG::ListBox::BottomItem, 1, top);
        }
    }
    ~Chooser() override
    {
        DetachFromAllItems(*this);
        Detach(*this);
    }
    void PanelOpened(const DG::PanelOpenEvent&) override { ++opened; }
    void ButtonClicked(const DG::ButtonClickEvent& event) override
    {
        if (event.GetSource() == &okButton)
            PostCloseRequest(Accept);
        else if (event.GetSource() == &cancelButton)
            PostCloseRequest(Cancel);
    }
    void PanelCloseRequested(const DG::PanelCloseRequestEvent& event, bool* accepted) override
    {
        if (!event.IsAccepted())
            return;
        const short row = list.GetSelectedItem(1);
        if (row == 0) {
            DG::InformationAlert("Please choose a TOP ID!", "", "OK");
            *accepted = false;
            return;
        }
        chosen = list.GetTabItemText(row, 1);
    }

    DG::Button okButton;
    DG::Button cancelButton;
    DG::SingleSelListBox list;
    GS::UniString chosen;
    int opened = 0;
};

TEST_F(DialogLibrary, ModalDialogPlaysStepsUntilAnAcceptedClose)
{
    Chooser dialog(module);
    ASSERT_EQ(dialog.GetId(), 32510);
    agent.steps = {
        [](DG::ModalDialog& d) { EXPECT_TRUE(d.ClickButton(1)); }, // OK without a choice: refused
        [](DG::ModalDialog& d) { static_cast<Chooser&>(d).list.SelectItem(2); },
        [](DG::ModalDialog& d) { EXPECT_TRUE(d.ClickButton(1)); },
        [](DG::ModalDialog&) { ADD_FAILURE() << "the dialog should have closed"; },
    };
    EXPECT_TRUE(dialog.Invoke());
    EXPECT_EQ(dialog.chosen, GS::UniString("TOP 2"));
    EXPECT_EQ(dialog.opened, 1);
    EXPECT_EQ(agent.steps.size(), 1u);
    ASSERT_EQ(agent.alerts.size(), 1u);
    EXPECT_EQ(agent.trace.front(), "dialog 32510 opened \"Choose TOP\"");
    EXPECT_EQ(agent.trace.back(), "dialog 32510 closed: accepted");
}

TEST_F(DialogLibrary, ModalDialogIsCancelledWhenTheUserHasNothingMoreToDo)
{
    {
        Chooser dialog(module);
        agent.steps = {[](DG::ModalDialog& d) { static_cast<Chooser&>(d).list.SelectItem(1); }};
        EXPECT_FALSE(dialog.Invoke());
        EXPECT_TRUE(dialog.chosen.IsEmpty());
        EXPECT_EQ(agent.trace.back(), "dialog 32510 closed: cancelled");
    }
    {
        Chooser dialog(module);
        agent.steps = {[](DG::ModalDialog& d) { EXPECT_TRUE(d.ClickButton(2)); }};
        EXPECT_FALSE(dialog.Invoke());
    }
    DG::SetUserAgent(nullptr);
    Chooser unattended(module);
    EXPECT_FALSE(unattended.Invoke());
}

TEST_F(DialogLibrary, MissingLayoutGivesPanelIdZeroAndInvalidItems)
{
    Chooser missing(InvalidResModule);
    EXPECT_EQ(missing.GetId(), 0);
    EXPECT_FALSE(missing.okButton.IsValid());
    EXPECT_FALSE(missing.ClickButton(1));
    EXPECT_FALSE(missing.Invoke());
    DG::Palette wrongKind(module, 32510, module, GS::Guid("45D7CAFB-970B-4D95-BF7A-697E894006AF"));
    EXPECT_EQ(wrongKind.GetId(), 0); // a dialog layout is no palette
}

TEST(ListBox, RowsTabFieldsAndSelection)
{
    std::string error;
    const GSResModule module = RS::OpenModule(AREALIST_RESOURCES_DIR, "en", error);
    ASSERT_NE(module, InvalidResModule) << error;
    {
        DG::ModalDialog dialog(module, 32510, module);
        DG::SingleSelListBox list(dialog, 4);
        ASSERT_TRUE(list.IsValid());
        EXPECT_EQ(list.GetItemWidth(), 240);
        list.SetTabFieldCount(2);
        list.SetTabFieldProperties(2, 100, 240, DG::ListBox::DefaultJust, DG::ListBox::NoTrunc, false, true);
        EXPECT_EQ(list.GetTabFieldBeginPosition(2), 100);
        EXPECT_EQ(list.GetTabFieldEndPosition(2), 240);
        list.SetHeaderItemCount(2);
        list.SetHeaderItemText(2, "TOP ID");
        list.SetHeaderItemSize(2, 140);
        EXPECT_EQ(list.GetHeaderItemText(2), GS::UniString("TOP ID"));
        EXPECT_EQ(list.GetHeaderItemSize(2), 140);

        for (const char* text : {"a", "b", "c", "d"}) {
            list.AppendItem();
            list.SetTabItemText(DG::ListBox::BottomItem, 1, text);
            list.SetTabItemText(DG::ListBox::BottomItem, 2, GS::UniString(text) + GS::UniString("2"));
        }
        list.SetTabItemText(9, 1, "ignored"); // out of range: nothing happens
        list.SetTabItemText(1, 3, "ignored");
        EXPECT_EQ(list.GetTabItemText(4, 2), GS::UniString("d2"));
        EXPECT_EQ(list.GetTabItemText(1, 3), GS::UniString());

        list.SelectItem(3);
        list.DeleteItem(1); // rows below move up; so does the selection
        EXPECT_EQ(list.GetSelectedItem(), 2);
        EXPECT_EQ(list.GetTabItemText(2, 1), GS::UniString("c"));
        EXPECT_EQ(list.GetSelectedItem(3), 0); // searching from row 3 finds nothing
        list.DeleteItem(DG::ListBox::BottomItem);
        EXPECT_EQ(list.GetItemCount(), 2);
        list.DeleteItem(2);
        EXPECT_EQ(list.GetSelectedItem(), 0);
        list.SelectItem(5); // no such row
        EXPECT_EQ(list.GetSelectedItem(), 0);
        list.DeleteItem(DG::ListBox::AllItems);
        EXPECT_EQ(list.GetItemCount(), 0);
        list.SetTabItemText(DG::ListBox::BottomItem, 1, "no rows"); // tolerated

        DG::Button notInLayout(dialog, 99);
        EXPECT_FALSE(notInLayout.IsValid());
        EXPECT_FALSE(dialog.ClickButton(99));
        EXPECT_FALSE(dialog.ClickButton(4)); // a list box is not a button
    }
    RS::CloseModule(module);
}

// A row's GUID data stays with the row when rows are inserted or deleted around it.
TEST(ListBox, RowGuidDataMovesWithItsRow)
{
    std::string error;
    const GSResModule module = RS::OpenModule(AREALIST_RESOURCES_DIR, "en", error);
    ASSERT_NE(module, InvalidResModule) << error;
    {
        DG::ModalDialog dialog(module, 32510, module);
        DG::SingleSelListBox list(dialog, 4);
        ASSERT_TRUE(list.IsValid());
        list.SetTabFieldCount(1);
        auto guid = [](char digit) {
            return GS::Guid((std::string(8, digit) + "-0000-0000-0000-000000000000").c_str());
        };
        auto add = [&](short before, char digit) {
            list.InsertItem(before);
            const short row = before == DG::ListBox::BottomItem ? list.GetItemCount() : before;
            list.SetTabItemText(row, 1, GS::UniString(std::string(1, digit).c_str()));
            list.SetItemGuidData(row, guid(digit));
        };
        // Each row's text is the digit of its GUID, so texts and data must agree after every step.
        auto expectRows = [&](const std::string& digits) {
            ASSERT_EQ(list.GetItemCount(), short(digits.size()));
            ASSERT_EQ(list.GetRowsGuidData().size(), digits.size());
            for (short row = 1; row <= list.GetItemCount(); ++row) {
                const char digit = digits[std::size_t(row) - 1];
                EXPECT_EQ(list.GetTabItemText(row, 1), GS::UniString(std::string(1, digit).c_str())) << digits;
                EXPECT_EQ(list.GetItemGuidData(row), guid(digit)) << digits << " row " << row;
                EXPECT_EQ(list.GetRowsGuidData()[std::size_t(row) - 1], guid(digit)) << digits;
            }
        };

        add(DG::ListBox::BottomItem, '2');
        add(DG::ListBox::BottomItem, '4');
        add(1, '1');
        add(3, '3');
        add(5, '5'); // the count plus one appends
        expectRows("12345");
        list.AppendItem(); // a row nobody gave data
        EXPECT_TRUE(list.GetItemGuidData(DG::ListBox::BottomItem).IsNull());
        list.DeleteItem(DG::ListBox::BottomItem);
        list.InsertItem(9); // no such position: nothing happens
        list.SetItemGuidData(9, guid('9'));
        EXPECT_TRUE(list.GetItemGuidData(9).IsNull());
        expectRows("12345");

        list.SelectItem(3);
        list.DeleteItem(2);
        list.DeleteItem(DG::ListBox::BottomItem);
        expectRows("134");
        EXPECT_EQ(list.GetSelectedItem(), 2) << "the selection moves with its row";
        list.InsertItem(1);
        EXPECT_EQ(list.GetSelectedItem(), 3);
        list.DeleteItem(1);
        list.SetItemGuidData(DG::ListBox::BottomItem, guid('6'));
        list.SetTabItemText(DG::ListBox::BottomItem, 1, "6");
        expectRows("136");

        list.DeleteItem(DG::ListBox::AllItems);
        EXPECT_TRUE(list.GetRowsGuidData().empty());
        add(DG::ListBox::BottomItem, '7');
        expectRows("7");
    }
    RS::CloseModule(module);
}

class ObservedPalette : public DG::Palette, public DG::PanelObserver {
public:
    ObservedPalette(GSResModule module, const GS::Guid& guid)
        : DG::Palette(module, 32512, module, guid), button(*this, 10)
    {
        Attach(*this);
    }
    ~ObservedPalette() override { Detach(*this); }
    void PanelOpened(const DG::PanelOpenEvent&) override { ++opened; }
    void PanelResized(const DG::PanelResizeEvent& event) override
    {
        resizes.emplace_back(event.GetHorizontalChange(), event.GetVerticalChange());
        widthSeen = GetWidth();
    }
    void PanelCloseRequested(const DG::PanelCloseRequestEvent&, bool*) override { ++closeRequests; }

    DG::Button button;
    int opened = 0;
    int closeRequests = 0;
    Int32 widthSeen = 0;
    std::vector<std::pair<Int32, Int32>> resizes;
};

TEST_F(DialogLibrary, PaletteShowsHidesResizesAndIsFoundByItsGuid)
{
    const GS::Guid guid("45D7CAFB-970B-4D95-BF7A-697E894006AF");
    EXPECT_EQ(DG::FindPalette(guid), nullptr);
    {
        ObservedPalette palette(module, guid);
        EXPECT_EQ(DG::FindPalette(guid), &palette);
        EXPECT_EQ(DG::FindPalette(GS::Guid("013BD535-32AB-49CE-AAD9-580F3229FDAC")), nullptr);
        EXPECT_FALSE(palette.IsVisible());
        EXPECT_EQ(palette.button.GetX(), 155);
        EXPECT_EQ(palette.button.GetWidth(), 130);

        palette.Show();
        palette.Show();
        EXPECT_TRUE(palette.IsVisible());
        EXPECT_TRUE(palette.RequestClose(true)); // accepted by default: the palette hides
        EXPECT_EQ(palette.closeRequests, 1);
        EXPECT_FALSE(palette.IsVisible());
        palette.Show();
        EXPECT_EQ(palette.opened, 1); // the window opened once

        palette.Resize(40, 30);
        EXPECT_EQ(palette.GetWidth(), 340);
        EXPECT_EQ(palette.widthSeen, 340); // the new size is known when observers hear of it
        EXPECT_EQ(palette.GetHeight(), 450);
        ASSERT_EQ(palette.resizes.size(), 1u);
        EXPECT_EQ(palette.resizes[0], std::make_pair(Int32(40), Int32(30)));

        palette.DisableItems();
        EXPECT_FALSE(palette.ClickButton(10));
        palette.EnableItems();
        EXPECT_TRUE(palette.ClickButton(10));
    }
    EXPECT_EQ(DG::FindPalette(guid), nullptr);
    const std::vector<std::string> expected = {"palette 32512 shown", "palette 32512 hidden", "palette 32512 shown",
                                               "palette 32512 button 10 \"Update all\""};
    EXPECT_EQ(agent.trace, expected);
}

} // namespace
