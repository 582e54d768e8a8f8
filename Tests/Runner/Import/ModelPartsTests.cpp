// A model read in parts at once gives what one reading of the whole gives: the same project file
// and the same summary, candidates and warnings included; and for bad input the same message,
// also where the fault only shows when the parts are joined.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "../../../Sources/Runner/Import/Importer.hpp"
#include "../../../Sources/Runner/Project/JsonReader.hpp"

namespace {

using Runner::Import::ImportOptions;
using Runner::Import::ImportResult;

std::string Model(const std::string& name)
{
    std::string text;
    EXPECT_TRUE(Runner::ReadTextFile(std::string(AREALIST_EXAMPLES_DIR "/ifc/") + name, text)) << name;
    return text;
}

std::string Summary(const ImportResult& result)
{
    std::ostringstream out;
    Runner::Import::PrintSummary(result.summary, out);
    return out.str();
}

Runner::Status ImportIn(std::size_t parts, const std::string& text, ImportResult& result, ImportOptions options = {})
{
    options.readerParts = parts;
    return Runner::Import::ImportModelText(text, "m.ifc", options, result);
}

TEST(ModelParts, GiveWhatOneReadingOfTheWholeGives)
{
    ImportOptions fixed;
    ASSERT_TRUE(Runner::Import::ParseTopFrom("fixed:Haus", fixed));
    const struct {
        const char* model;
        ImportOptions options;
    } cases[] = {
        {"AC20-FZK-Haus.ifc", {}},         // two storeys, one with a single room
        {"AC20-FZK-Haus.ifc", fixed},      //
        {"fixtures/zones-ifc2x3.ifc", {}}, // zones, classifications, storeys below ground
        {"fixtures/revit-ifc2x3.ifc", {}}, // no unit found: candidates from the spaces' texts
        {"fixtures/maisonette.ifc", {}},   // a unit on two storeys
    };
    for (const auto& c : cases) {
        const std::string text = Model(c.model);
        ImportResult whole;
        const Runner::Status status = ImportIn(1, text, whole, c.options);
        ASSERT_TRUE(status) << c.model << ": " << status.Message();
        for (const std::size_t parts : {2u, 3u, 64u}) {
            ImportResult parted;
            ASSERT_TRUE(ImportIn(parts, text, parted, c.options)) << c.model << " in " << parts;
            EXPECT_EQ(parted.reading.parts, std::min<std::size_t>(parts, whole.project["zones"].size()))
                << c.model << ": the parts joined";
            EXPECT_EQ(parted.project, whole.project) << c.model << " in " << parts;
            EXPECT_EQ(Summary(parted), Summary(whole)) << c.model << " in " << parts;
        }
    }
}

TEST(ModelParts, FaultsAreNamedAsOneReadingNamesThem)
{
    const std::string house = Model("AC20-FZK-Haus.ifc");
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = house;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const std::string faulty[] = {
        // The last space takes the first one's GlobalId: each part alone is sound.
        replaced("'2RSCzLOBz4FAK$_wE8VckM',#12,'2'", "'347jFE2yX7IhCEIALmupEH',#12,'2'"),
        // A space whose GlobalId is none: only the part that holds it fails.
        replaced("IFCSPACE('0e_hbkIQ5DMQlIJ$2V3j_m'", "IFCSPACE('not a GlobalId'"),
    };
    for (const std::string& text : faulty) {
        ImportResult whole, parted;
        const Runner::Status one = ImportIn(1, text, whole);
        ASSERT_FALSE(one);
        const Runner::Status two = ImportIn(2, text, parted);
        ASSERT_FALSE(two) << "read in " << parted.reading.parts << " parts";
        EXPECT_EQ(two.Message(), one.Message());
        EXPECT_EQ(two.GetCode(), one.GetCode());
    }
}

} // namespace
