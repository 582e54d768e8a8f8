// The model written back, in-process: additions numbered after the model's entities and found
// again by a later run, except where the rest of the model refers to them.
#include <gtest/gtest.h>

#include "../../../Sources/Host/Model/Project.hpp"
#include "../../../Sources/Runner/Import/ModelWriter.hpp"

namespace {

using Runner::Import::ModelAdditions;

const std::string header = "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\n"
                           "FILE_NAME('t.ifc','',(''),(''),'','','');\nFILE_SCHEMA(('IFC4'));\nENDSEC;\nDATA;\n";
const std::string footer = "ENDSEC;\nEND-ISO-10303-21;\n";

// A project with one space, and `extra` entities after it.
std::string Model(const std::string& extra = "")
{
    return header +
           "#1=IFCPROJECT('0YvctVUKr0kugbFTf53O9L',$,'P',$,$,$,$,$,$);\n"
           "#2=IFCSPACE('2YvctVUKr0kugbFTf53O9L',$,'1',$,$,$,$,'Raum',.ELEMENT.,$,$);\n" +
           extra + footer;
}

ModelAdditions OneArealist(const std::string& top)
{
    ModelAdditions additions;
    additions.arealists.push_back({Host::GuidFromName("A1"), top, {"2YvctVUKr0kugbFTf53O9L"}, {12.5, 12, 11, 10}});
    additions.spaces.push_back({"2YvctVUKr0kugbFTf53O9L", top, {12.5, 12, 11, 10, 0}});
    return additions;
}

std::string Written(const std::string& text, const ModelAdditions& additions)
{
    Runner::Import::StepScan scan;
    EXPECT_TRUE(Runner::Import::ScanStepText(text, "t.ifc", scan)) << text;
    std::string out;
    std::size_t skipped = 0;
    EXPECT_TRUE(Runner::Import::AppendArealists(text, scan, "t.ifc", additions, out, skipped));
    // Whatever is written scans again: syntax, references, no cycle.
    Runner::Import::StepScan check;
    const Runner::Status status = Runner::Import::ScanStepText(out, "out.ifc", check);
    EXPECT_TRUE(status) << status.Message() << "\n" << out;
    return out;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(ModelWriter, AppendsAfterTheModelAndReplacesWhatItAddedBefore)
{
    const std::string once = Written(Model(), OneArealist("TOP \xC3\x9C'1"));
    EXPECT_EQ(once.substr(0, Model().size() - footer.size()), Model().substr(0, Model().size() - footer.size()));
    EXPECT_NE(once.find("#3=IFCSIUNIT(*,.AREAUNIT.,$,.SQUARE_METRE.);"), std::string::npos) << once;
    EXPECT_NE(once.find(",$,'TOP \\X2\\00DC\\X0\\''1',$,'Arealist',$);"), std::string::npos)
        << "a TOP as a STEP string: non-ASCII escaped, the quote doubled";
    EXPECT_NE(once.find("IFCQUANTITYAREA('Area',$,#3,12.5,$);"), std::string::npos);
    EXPECT_NE(once.find("IFCPROPERTYSINGLEVALUE('RoomCheckArea',$,IFCAREAMEASURE(0.),#3);"), std::string::npos);

    const std::string twice = Written(once, OneArealist("TOP \xC3\x9C'1"));
    EXPECT_EQ(twice, once);
    // Comments before a name or inside the attributes do not hide an earlier addition.
    std::string commented = once;
    const std::size_t zone = commented.find("IFCZONE('");
    commented.insert(zone + 9 + 22 + 1, "/* ',' */");
    commented.insert(zone, "/* ( */ ");
    EXPECT_EQ(Count(Written(commented, OneArealist("T")), "IFCZONE("), 1u);
    const std::string other = Written(once, OneArealist("TOP 2"));
    EXPECT_EQ(Count(other, "IFCZONE("), 1u);
    EXPECT_EQ(Count(other, "IFCPROPERTYSET("), 1u);
    EXPECT_EQ(Count(other, "IFCSIUNIT("), 1u);
    EXPECT_EQ(other, Written(Model(), OneArealist("TOP 2")));
    EXPECT_EQ(Written(once, ModelAdditions()), Model()) << "nothing to add: the model as it was";
}

TEST(ModelWriter, KeepsAnEarlierAdditionTheModelStillRefersTo)
{
    // An earlier Arealist zone that the model's own classification now names stays, with what it
    // refers to; only the new additions come on top.
    const std::string earlier = Written(Model(), OneArealist("T"));
    const std::size_t zoneAt = earlier.find("=IFCZONE(");
    const std::string zoneId = earlier.substr(earlier.rfind('#', zoneAt), zoneAt - earlier.rfind('#', zoneAt));
    std::string edited = earlier;
    edited.insert(edited.rfind("ENDSEC;"), "#900=IFCCLASSIFICATIONREFERENCE($,'X','X',$,$,$);\n"
                                           "#901=IFCRELASSOCIATESCLASSIFICATION('1ZvctVUKr0kugbFTf53O9L',$,$,$,(" +
                                               zoneId + "),#900);\n");
    const std::string out = Written(edited, OneArealist("T"));
    EXPECT_EQ(Count(out, "IFCZONE("), 2u);
    EXPECT_NE(out.find(zoneId + "=IFCZONE("), std::string::npos);
}

TEST(ModelWriter, SpacesTheModelDoesNotHoldAreCounted)
{
    ModelAdditions additions = OneArealist("T");
    additions.spaces.push_back({"3YvctVUKr0kugbFTf53O9L", "T", {}});
    Runner::Import::StepScan scan;
    const std::string text = Model();
    ASSERT_TRUE(Runner::Import::ScanStepText(text, "t.ifc", scan));
    std::string out;
    std::size_t skipped = 0;
    ASSERT_TRUE(Runner::Import::AppendArealists(text, scan, "t.ifc", additions, out, skipped));
    EXPECT_EQ(skipped, 1u);
    const std::string noProject =
        header + "#2=IFCSPACE('2YvctVUKr0kugbFTf53O9L',$,'1',$,$,$,$,'R',.ELEMENT.,$,$);\n" + footer;
    ASSERT_TRUE(Runner::Import::ScanStepText(noProject, "t.ifc", scan));
    const Runner::Status status = Runner::Import::AppendArealists(noProject, scan, "t.ifc", additions, out, skipped);
    EXPECT_FALSE(status);
    EXPECT_NE(status.Message().find("t.ifc: the model has no IfcProject"), std::string::npos);
}

} // namespace
