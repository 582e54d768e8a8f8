// From the host's project to the writer's records: each Arealist with its linked zones (imported
// zones carry their space's GlobalId as id) and the total row its label shows, each zone with a TOP
// with its quantities.
#include "ModelExport.hpp"

#include "Import/ModelFile.hpp"
#include "Import/ModelWriter.hpp"
#include "Import/StepScan.hpp"
#include "Project/StateDump.hpp"
#include "Report/ArealistLook.hpp"

namespace Runner {

namespace {

Import::ModelAdditions Additions(const Host::Project& project)
{
    Import::ModelAdditions additions;
    for (const Host::Element& element : project.elements) {
        if (element.deleted)
            continue;
        if (element.type == API_ZoneID) {
            const Host::Param* top = FindParam(element, "stApartmentId");
            if (top != nullptr && !top->text.IsEmpty())
                additions.spaces.push_back({element.id, top->text.ToUtf8(), element.quantities});
        } else if (IsArealist(project, element)) {
            const Report::ArealistTable table = Report::ReadArealistTable(element);
            Import::ArealistAddition arealist;
            arealist.guid = element.guid;
            arealist.top = table.top;
            // The total row as the label shows it: each room rounded to the centimetre² first.
            for (std::size_t i = 0; i < arealist.sums.size(); ++i)
                arealist.sums[i] = double(table.total[i]) / 100.0;
            project.elements.LinksFrom(element.guid)->ForEach([&](const Host::LinkList::Entry& link) {
                const Host::Element* zone = project.Find(link.partner);
                if (zone != nullptr && !zone->deleted && zone->type == API_ZoneID)
                    arealist.spaces.push_back(zone->id);
            });
            additions.arealists.push_back(std::move(arealist));
        }
    }
    return additions;
}

} // namespace

Status WriteModelWithArealists(const Host::Project& project, const std::string& modelPath, const std::string& outPath)
{
    std::string text, textName;
    if (Status status = Import::ReadModelFile(modelPath, text, textName); !status)
        return status;
    Import::StepScan scan;
    if (Status status = Import::ScanStepText(text, textName, scan); !status)
        return status;
    std::string written;
    std::size_t skipped = 0;
    if (Status status = Import::AppendArealists(text, scan, textName, Additions(project), written, skipped); !status)
        return status;
    return WriteFileAtomically(outPath, written).Prefixed("--ifc: ");
}

} // namespace Runner
