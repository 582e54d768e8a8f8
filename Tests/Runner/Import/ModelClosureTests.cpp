// What the IFC library is handed: the closure of the rooms. A wall and everything of it stays
// out, also where a relationship or a layer names it beside a space; what is handed over is a
// sound STEP text by itself (the pre-scan accepts it: no reference left dangling), and the import
// reads the same from it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../../../Sources/Runner/Import/IfcModel.hpp"
#include "../../../Sources/Runner/Import/Importer.hpp"
#include "../../../Sources/Runner/Import/ModelClosure.hpp"
#include "../../../Sources/Runner/Import/ModelRecords.hpp"
#include "../../../Sources/Runner/Import/ProjectBuilder.hpp"
#include "../../../Sources/Runner/Import/StepScan.hpp"
#include "../../../Sources/Runner/Project/JsonReader.hpp"

namespace {

using Runner::Import::ClosureText;
using Runner::Import::FindClosure;
using Runner::Import::ModelClosure;
using Runner::Import::StepScan;

// A storey with a space and a wall. The wall (#20 to #24) shares a quantity set relationship and
// a presentation layer with the space, and is contained in the storey; an entity type no IFC
// schema has stands among the wall's. The relationship's name holds the characters that end list
// items and attributes, and texts hold what opens a comment.
const std::string model = R"(ISO-10303-21;
HEADER;
FILE_DESCRIPTION((''),'2;1');
FILE_NAME('t.ifc','',(''),(''),'','','');
FILE_SCHEMA(('IFC4'));
ENDSEC;
DATA;
#1=IFCSIUNIT(*,.LENGTHUNIT.,$,.METRE.);
#2=IFCUNITASSIGNMENT((#1));
#3=IFCPROJECT('0YvctVUKr0kugbFTf53O9L',$,'P',$,$,$,$,$,#2);
#4=IFCCARTESIANPOINT((0.,0.,0.));
#5=IFCAXIS2PLACEMENT3D(#4,$,$);
#6=IFCLOCALPLACEMENT($,#5);
#7=IFCBUILDINGSTOREY('1YvctVUKr0kugbFTf53O9L',$,'EG',$,$,#6,$,$,.ELEMENT.,0.);
#8=IFCSPACE('2YvctVUKr0kugbFTf53O9L',$,'1',$,$,#6,#12,'Raum /* 1',.ELEMENT.,$,$);
#9=IFCRELAGGREGATES('3YvctVUKr0kugbFTf53O9L',$,$,$,#7,(#8));
#10=IFCGEOMETRICREPRESENTATIONCONTEXT($,'Model',3,1.E-05,#5,$);
#11=IFCSHAPEREPRESENTATION(#10,'Body','SweptSolid',());
#12=IFCPRODUCTDEFINITIONSHAPE($,$,(#11));
#13=IFCQUANTITYAREA('GrossFloorArea',$,$,12.5,$);
#14=IFCELEMENTQUANTITY('0ZvctVUKr0kugbFTf53O9L',$,'Qto_SpaceBaseQuantities',$,$,(#13));
#20=IFCLOCALPLACEMENT(#6,#5);
#21=IFCSHAPEREPRESENTATION(#10,'Body','SweptSolid',());
#22=IFCPRODUCTDEFINITIONSHAPE($,$,(#21));
#23=IFCWALL('4YvctVUKr0kugbFTf53O9L',$,'W',$,$,#20,#22,$,$);
#24=IFCNOSUCHTHING(#23,'not read');
#30=IFCRELDEFINESBYPROPERTIES('1ZvctVUKr0kugbFTf53O9L',$,'a,(b) /* c',$,( #23 , /* the wall */ #8 ),#14);
#31=IFCPRESENTATIONLAYERASSIGNMENT('Zones',$,(#21,#11),$);
#32=IFCRELCONTAINEDINSPATIALSTRUCTURE('2ZvctVUKr0kugbFTf53O9L',$,$,$,(#23),#7);
#33=IFCRELDEFINESBYPROPERTIES('3ZvctVUKr0kugbFTf53O9L',$,$,$,(#23),#14);
ENDSEC;
END-ISO-10303-21;
)";

std::set<int> Ids(const StepScan& scan, const ModelClosure& closure)
{
    std::set<int> ids;
    for (const std::uint32_t index : closure.entities)
        ids.insert(scan.entities[index].id);
    return ids;
}

TEST(ModelClosure, TakesTheRoomsAndWhatTheyReachButNotTheWall)
{
    StepScan scan;
    ASSERT_TRUE(Runner::Import::ScanStepText(model, "t.ifc", scan));
    const ModelClosure closure = FindClosure(model, scan);
    EXPECT_EQ(Ids(scan, closure), (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 30, 31}));

    const std::string text = ClosureText(model, scan, closure);
    EXPECT_NE(text.find("#30=IFCRELDEFINESBYPROPERTIES('1ZvctVUKr0kugbFTf53O9L',$,'a,(b) /\\X\\2A c',$,(#8),#14);"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("#31=IFCPRESENTATIONLAYERASSIGNMENT('Zones',$,(#11),$);"), std::string::npos) << text;
    EXPECT_EQ(text.find("#2" /* any of the wall's */ "3="), std::string::npos);
    StepScan again;
    const Runner::Status status = Runner::Import::ScanStepText(text, "closure.ifc", again);
    EXPECT_TRUE(status) << status.Message() << "\n" << text;
    EXPECT_EQ(again.entities.size(), closure.entities.size());
}

TEST(ModelClosure, GivesTheSameImportAsTheWholeModelWould)
{
    // Without the wall and its relationships, the whole model is its own closure.
    std::string rooms = model;
    rooms.erase(rooms.find("#20="), rooms.find("#30=") - rooms.find("#20="));
    rooms.erase(rooms.find("#32="), rooms.find("ENDSEC;\nEND") - rooms.find("#32="));
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"( #23 , /* the wall */ #8 )", "(#8)"}, {"(#21,#11)", "(#11)"}})
        rooms.replace(rooms.find(from), from.size(), to);

    Runner::Import::ImportResult whole, roomsOnly;
    const Runner::Status status = Runner::Import::ImportModelText(model, "t.ifc", {}, whole);
    ASSERT_TRUE(status) << status.Message() << " (the unknown entity is outside the closure)";
    ASSERT_TRUE(Runner::Import::ImportModelText(rooms, "t.ifc", {}, roomsOnly));
    EXPECT_EQ(whole.project, roomsOnly.project);
    ASSERT_EQ(whole.project["zones"].size(), 1u);
    EXPECT_DOUBLE_EQ(whole.project["zones"][0]["quantities"][0].get<double>(), 12.5);
    // The IFC library would have taken "/*" in a text for a comment and dropped what follows.
    EXPECT_EQ(whole.project["zones"][0]["name"], "Raum /* 1");
}

TEST(ModelClosure, OfTheRealHouseIsASoundModelOfItsOwn)
{
    std::string house;
    ASSERT_TRUE(Runner::ReadTextFile(AREALIST_EXAMPLES_DIR "/ifc/AC20-FZK-Haus.ifc", house));
    StepScan scan;
    ASSERT_TRUE(Runner::Import::ScanStepText(house, "house.ifc", scan));
    const ModelClosure closure = FindClosure(house, scan);
    const std::string text = ClosureText(house, scan, closure);
    StepScan again;
    const Runner::Status status = Runner::Import::ScanStepText(text, "closure.ifc", again);
    ASSERT_TRUE(status) << status.Message();
    EXPECT_EQ(again.spaces, scan.spaces);
    EXPECT_LT(text.size(), house.size() / 2) << "walls, slabs, openings and their geometry stay out";
}

// Element quantities are handed over with only the area quantities the options read, and the
// import reads the same: on the house (ArchiCAD's quantity set with lengths, volumes and areas, some
// names with umlauts), with the defaults and with a quantity the defaults do not read.
TEST(ModelClosure, LeavesOutTheQuantitiesNobodyReads)
{
    using namespace Runner::Import;
    ImportOptions ceiling;
    ASSERT_TRUE(ParseQuantityOption("3=BaseQuantities.GrossCeilingArea", ceiling));
    for (const char* name : {"AC20-FZK-Haus.ifc", "fixtures/zones-ifc2x3.ifc", "fixtures/revit-ifc2x3.ifc"})
        for (const ImportOptions& options : {ImportOptions(), ceiling}) {
            IfcModel model;
            std::string text;
            ASSERT_TRUE(Runner::ReadTextFile(std::string(AREALIST_EXAMPLES_DIR "/ifc/") + name, text));
            ASSERT_TRUE(ScanIfcModel(std::move(text), name, model));
            const ValueFilter filter(options);
            const ModelClosure every = FindClosure(model.text, model.scan);
            const ModelClosure wanted = FindClosure(model.text, model.scan, {}, &filter);
            nlohmann::json projects[2];
            std::size_t index = 0;
            for (const ModelClosure* closure : {&every, &wanted}) {
                LibraryModel library;
                ASSERT_TRUE(ReadLibraryModel(model, *closure, library));
                ModelRecords records;
                ASSERT_TRUE(ReadModelRecords(model, library, options, {}, records));
                ImportSummary summary;
                ASSERT_TRUE(BuildProject(records, options, projects[index++], summary));
            }
            EXPECT_EQ(projects[1], projects[0]) << name;
            if (std::string(name) == "AC20-FZK-Haus.ifc") {
                EXPECT_LT(wanted.entities.size() + 300, every.entities.size()) << "ArchiCAD's lengths and volumes";
            }
        }
}

} // namespace
