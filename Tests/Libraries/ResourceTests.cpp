// RS: the add-on's resources in every language, and strict reading of faulty resource files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>

#include "../../Sources/Host/RS/RS.hpp"
#include "../../Sources/Host/RS/RSReader.hpp"

namespace {

class AddOnResources : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        std::string error;
        module = RS::OpenModule(AREALIST_RESOURCES_DIR, GetParam(), error);
        ASSERT_NE(module, InvalidResModule) << error;
    }
    void TearDown() override { RS::CloseModule(module); }

    GSResModule module = InvalidResModule;
};

TEST_P(AddOnResources, EveryResourceTheAddOnUsesExists)
{
    GS::UniString text;
    ASSERT_TRUE(RSGetIndString(&text, 32000, 1, module));
    EXPECT_EQ(text, GS::UniString("Arealist"));
    ASSERT_TRUE(RSGetIndString(&text, 32000, 2, module));
    EXPECT_EQ(text.ToUtf8().find("%s") != std::string::npos, true);
    EXPECT_EQ(text.ToUtf8().find("%s", text.ToUtf8().find("%s") + 1), std::string::npos); // exactly one
    EXPECT_TRUE(RSGetIndString(&text, 32501, 1, module));
    EXPECT_TRUE(RSGetIndString(&text, 32504, 1, module));
    for (short header = 1; header <= 4; ++header)
        EXPECT_TRUE(RSGetIndString(&text, 32513, header, module)) << header;
    EXPECT_FALSE(RSGetIndString(&text, 32513, 5, module));
    EXPECT_FALSE(RSGetIndString(&text, 32513, 0, module));
    EXPECT_FALSE(RSGetIndString(nullptr, 32513, 1, module));

    EXPECT_NE(RS::GetMenu(module, 32501), nullptr);
    EXPECT_NE(RS::GetMenu(module, 32502), nullptr);

    // Alerts, their button counts and the button nobody-at-the-screen gets.
    const std::map<short, std::pair<std::size_t, short>> alerts = {
        {31001, {1, 1}}, {31010, {2, 2}}, {31011, {2, 2}}, {31012, {1, 1}}, {31016, {1, 1}},
        {31018, {1, 1}}, {31019, {3, 1}}, {31020, {1, 1}}, {31021, {1, 1}},
    };
    for (const auto& [id, expected] : alerts) {
        const RS::AlertResource* alert = RS::GetAlert(module, id);
        ASSERT_NE(alert, nullptr) << id;
        EXPECT_EQ(alert->buttons.size(), expected.first) << id;
        EXPECT_EQ(alert->defaultButton, expected.second) << id;
    }
    for (short id : {31001, 31010, 31011, 31016}) {
        const RS::AlertResource* alert = RS::GetAlert(module, id);
        const std::string texts = alert->largeText.ToUtf8() + alert->smallText.ToUtf8();
        EXPECT_NE(texts.find("^0"), std::string::npos) << id;
    }
}

TEST_P(AddOnResources, DialogAndPaletteLayoutsHoldTheirItems)
{
    const RS::PanelResource* dialog = RS::GetPanel(module, 32510);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->kind, "dialog");
    std::map<short, std::string> types;
    for (const auto& item : dialog->items)
        types[item.id] = item.type;
    EXPECT_EQ(types[1], "button");
    EXPECT_EQ(types[2], "button");
    EXPECT_EQ(types[4], "listbox");

    const RS::PanelResource* palette = RS::GetPanel(module, 32512);
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->kind, "palette");
    const std::map<short, std::string> expected = {{2, "separator"}, {3, "lefttext"},  {4, "listbox"},
                                                   {5, "button"},    {6, "separator"}, {7, "lefttext"},
                                                   {8, "listbox"},   {9, "button"},    {10, "button"}};
    std::map<short, std::string> paletteTypes;
    for (const auto& item : palette->items)
        paletteTypes[item.id] = item.type;
    EXPECT_EQ(paletteTypes, expected);
}

TEST_P(AddOnResources, ArealistLibraryPartDeclaresEveryParameter)
{
    const RS::LibPartResource* part = RS::GetLibPart(module, 31990);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->name, "Arealist");
    EXPECT_EQ(part->guid, "013BD535-32AB-49CE-AAD9-580F3229FDAC");
    EXPECT_EQ(part->kind, "label");

    struct Shape {
        bool isString;
        bool isArray;
    };
    const std::map<std::string, Shape> expected = {
        {"al_apartmentId", {true, false}},    {"al_lines", {false, true}},         {"al_lineTexts", {true, true}},
        {"al_version", {false, false}},       {"al_roomCats", {false, true}},      {"al_roomAreas", {false, true}},
        {"al_roomAreasInTop", {false, true}}, {"al_ZoneCatExists", {false, true}}, {"al_ZoneCatCodes", {true, true}},
        {"al_ZoneCatNames", {true, true}},
    };
    std::map<std::string, const RS::LibParamResource*> params;
    for (const auto& param : part->params)
        params[param.name] = &param;
    for (const auto& [name, shape] : expected) {
        ASSERT_EQ(params.count(name), 1u) << name;
        const RS::LibParamResource& param = *params[name];
        EXPECT_EQ(param.type == APIParT_CString, shape.isString) << name;
        EXPECT_EQ(param.isArray, shape.isArray) << name;
        const std::size_t cells = param.isArray ? std::size_t(param.dim1) * std::size_t(param.dim2) : 1;
        EXPECT_EQ(shape.isString ? param.strings.size() : param.numbers.size(), cells) << name;
    }
    // The marker of a line list not yet set, and the one default line text.
    const RS::LibParamResource& lines = *params["al_lines"];
    EXPECT_EQ(lines.dim1, 1);
    EXPECT_EQ(lines.dim2, 1);
    EXPECT_EQ(lines.numbers, std::vector<double>{-2.0});
    const RS::LibParamResource& lineTexts = *params["al_lineTexts"];
    ASSERT_EQ(lineTexts.strings.size(), 1u);
    EXPECT_FALSE(lineTexts.strings[0].IsEmpty());
    EXPECT_EQ(RS::GetLibParts(module).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Languages, AddOnResources, ::testing::Values("en", "de"));

TEST(ResourceModules, OpeningTwiceSharesTheModuleUntilTheLastClose)
{
    std::string error;
    const GSResModule first = RS::OpenModule(AREALIST_RESOURCES_DIR, "en", error);
    const GSResModule second = RS::OpenModule(std::string(AREALIST_RESOURCES_DIR) + "/.", "en", error);
    ASSERT_NE(first, InvalidResModule) << error;
    EXPECT_EQ(first, second);
    RS::CloseModule(second);
    EXPECT_NE(RS::GetAlert(first, 31001), nullptr);
    RS::CloseModule(first);
    EXPECT_EQ(RS::GetAlert(first, 31001), nullptr);
    GS::UniString text;
    EXPECT_FALSE(RSGetIndString(&text, 32000, 1, first));
}

TEST(ResourceModules, MissingFolderOrOddLanguageIsReported)
{
    std::string error;
    EXPECT_EQ(RS::OpenModule(AREALIST_RESOURCES_DIR, "xx", error), InvalidResModule);
    EXPECT_NE(error.find("xx"), std::string::npos) << error;
    EXPECT_EQ(RS::OpenModule(AREALIST_RESOURCES_DIR, "../en", error), InvalidResModule);
    EXPECT_NE(error.find("../en"), std::string::npos) << error;
}

struct BadResource {
    const char* text;
    const char* expectedInMessage;
};

TEST(ResourceFiles, FaultsAreReportedWithFileAndPath)
{
    const BadResource cases[] = {
        {"{\"strings\": [", "invalid JSON"},
        {"[]", "test.json: $: "},
        {"{\"dialogs\": []}", "test.json: dialogs: unknown resource list"},
        {"{\"strings\": [{\"id\": 1, \"items\": [\"a\", 2]}]}", "test.json: strings[0].items[1]: expected a text"},
        {"{\"strings\": [{\"id\": 40000, \"items\": [\"a\"]}]}", "strings[0].id: expected a number from 1 to 32767"},
        {"{\"strings\": [{\"id\": 1, \"items\": [\"a\"]}, {\"id\": 1, \"items\": [\"b\"]}]}",
         "strings[1].id: string list 1 is defined twice"},
        {"{\"alerts\": [{\"id\": 5, \"largeText\": \"x\", \"buttons\": [\"A\", \"B\", \"C\", \"D\"], "
         "\"defaultButton\": 1}]}",
         "alerts[0].buttons: expected a list of 1 to 3 texts"},
        {"{\"alerts\": [{\"id\": 5, \"largeText\": \"x\", \"buttons\": [\"A\"], \"defaultButton\": 2}]}",
         "alerts[0].defaultButton: expected a number from 1 to 1"},
        {"{\"alerts\": [{\"id\": 5, \"largeText\": \"^4\", \"buttons\": [\"A\"], \"defaultButton\": 1}]}",
         "alerts[0].largeText: only ^0 to ^3"},
        {"{\"alerts\": [{\"id\": 5, \"largText\": \"x\", \"buttons\": [\"A\"], \"defaultButton\": 1}]}",
         "alerts[0]: missing \"largeText\""},
        {"{\"panels\": [{\"id\": 7, \"kind\": \"dialog\", \"width\": 100, \"height\": 50, \"items\": "
         "[{\"id\": 1, \"type\": \"button\", \"x\": 80, \"y\": 0, \"width\": 30, \"height\": 10}]}]}",
         "panels[0].items[0].width: expected a number from 0 to 20"},
        {"{\"panels\": [{\"id\": 7, \"kind\": \"dialog\", \"width\": 100, \"height\": 50, \"items\": "
         "[{\"id\": 1, \"type\": \"slider\", \"x\": 0, \"y\": 0, \"width\": 30, \"height\": 10}]}]}",
         "panels[0].items[0].type"},
        {"{\"libParts\": [{\"id\": 9, \"name\": \"P\", \"guid\": \"nope\", \"kind\": \"label\", \"params\": []}]}",
         "libParts[0].guid"},
        {"{\"libParts\": [{\"id\": 9, \"name\": \"P\", \"guid\": \"013BD535-32AB-49CE-AAD9-580F3229FDAC\", "
         "\"kind\": \"label\", \"params\": [{\"name\": \"a\", \"type\": \"integer\", \"dims\": [2, 1], "
         "\"values\": [1]}]}]}",
         "libParts[0].params[0].values: expected 2 values"},
        {"{\"libParts\": [{\"id\": 9, \"name\": \"P\", \"guid\": \"013BD535-32AB-49CE-AAD9-580F3229FDAC\", "
         "\"kind\": \"label\", \"params\": [{\"name\": \"a\", \"type\": \"string\", \"value\": 3}]}]}",
         "libParts[0].params[0].value: expected a text"},
        {"{\"libParts\": [{\"id\": 9, \"name\": \"P\", \"guid\": \"013BD535-32AB-49CE-AAD9-580F3229FDAC\", "
         "\"kind\": \"label\", \"params\": [{\"name\": \"a_name_that_is_far_too_long_for_it\", \"type\": "
         "\"string\", \"value\": \"\"}]}]}",
         "libParts[0].params[0].name"},
    };
    for (const auto& c : cases) {
        RS::ModuleContent content;
        std::string error;
        EXPECT_FALSE(RS::ReadResourceText("test.json", c.text, content, error)) << c.text;
        EXPECT_NE(error.find(c.expectedInMessage), std::string::npos) << c.text << "\n -> " << error;
        EXPECT_EQ(error.rfind("test.json", 0), 0u) << error;
    }
}

TEST(ResourceFiles, InvalidUtf8AndOverlongTextsAreRejected)
{
    RS::ModuleContent content;
    std::string error;
    EXPECT_FALSE(RS::ReadResourceText("u.json", "{\"strings\": [{\"id\": 1, \"items\": [\"\xC3\"]}]}", content, error));
    EXPECT_NE(error.find("u.json: invalid JSON"), std::string::npos) << error;
    const std::string longText(256, 'x');
    EXPECT_FALSE(RS::ReadResourceText("l.json", "{\"strings\": [{\"id\": 1, \"items\": [\"" + longText + "\"]}]}",
                                      content, error));
    EXPECT_NE(error.find("strings[0].items[0]: text longer than 255"), std::string::npos) << error;
}

TEST(ResourceFiles, ABadFileInAFolderFailsTheWholeModule)
{
    const auto folder = std::filesystem::temp_directory_path() / ("rs-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "en");
    std::ofstream(folder / "en" / "a.json") << "{\"strings\": [{\"id\": 1, \"items\": [\"fine\"]}]}";
    std::ofstream(folder / "en" / "b.json") << "{\"menus\": [{\"id\": 2, \"items\": []}]}";
    std::string error;
    EXPECT_EQ(RS::OpenModule(folder.string(), "en", error), InvalidResModule);
    EXPECT_NE(error.find("b.json: menus[0].items: expected a list of 1 to 100 texts"), std::string::npos) << error;
    std::filesystem::remove_all(folder);
}

// Damaged copies of the real files (cut short, or with a byte replaced) are refused with a
// message or read; they never crash the reader.
TEST(ResourceFiles, DamagedFilesNeverCrashTheReader)
{
    for (const char* name : {"alerts.json", "panels.json", "libparts.json"}) {
        std::ifstream stream(std::string(AREALIST_RESOURCES_DIR) + "/en/" + name, std::ios::binary);
        const std::string original((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(original.empty()) << name;
        for (std::size_t position = 0; position < original.size(); position += 5) {
            for (const std::string& damaged :
                 {original.substr(0, position), std::string(original).replace(position, 1, "0"),
                  std::string(original).replace(position, 1, "\"x\":1,")}) {
                RS::ModuleContent content;
                std::string error;
                if (!RS::ReadResourceText(name, damaged, content, error)) {
                    EXPECT_EQ(error.rfind(name, 0), 0u) << error;
                }
            }
        }
    }
}

} // namespace
