// arealist-host: the command-line host that loads the Arealist add-on, opens a project file (or
// imports an IFC model) and plays a user's session, makes a model's area lists, imports a model,
// writes a synthetic tower or a repeated real model, or lists the session commands. Exit 0: session ran; 1: an expect
// failed; 2: bad input.
#include <charconv>
#include <cstdint>

#include <CLI/CLI.hpp>

#include "AreasCommand.hpp"
#include "GenerateCommand.hpp"
#include "ImportCommand.hpp"
#include "RepeatCommand.hpp"
#include "RunCommand.hpp"
#include "Session/Commands/CommandTable.hpp"

namespace {

void AddImportOptions(CLI::App* command, Runner::ImportOptionTexts& texts)
{
    command
        ->add_option("--top-from", texts.topFrom,
                     "where a space's TOP comes from: auto, zone, property:SET.NAME, number or fixed:TEXT")
        ->capture_default_str();
    command->add_option("--top-pattern", texts.topPattern,
                        "keep the first capture group (else the whole match) of the TOP's text; no match: no TOP");
    command->add_option("--quantity", texts.quantities,
                        "N=SET.NAME: zone quantity N (1 to 5) from that quantity or property (repeatable)");
    command
        ->add_option("--category-from", texts.categoryFrom,
                     "where a zone's category comes from: auto, classification or property:SET.NAME")
        ->capture_default_str();
}

} // namespace

int main(int argc, char** argv)
{
    Runner::RunOptions options;
    options.modulePath = AREALIST_MODULE_PATH;
    options.resourcesDir = AREALIST_RESOURCES_DIR;
    options.prefsDir = Runner::DefaultPrefsDir();

    CLI::App cli{"arealist-host: runs the Arealist add-on in the emulated host"};
    cli.require_subcommand(1);
    Runner::ImportOptionTexts importTexts;
    CLI::App* run = cli.add_subcommand("run", "open PROJECT.json (or import MODEL.ifc) and play SESSION.txt (or - for "
                                              "standard input)");
    run->add_option("project", options.project, "project file (JSON) or IFC model (.ifc)")->required();
    run->add_option("session", options.session, "session file, or - to read commands from standard input");
    run->add_option("--dump", options.dump, "write the final state to this file (JSON)");
    run->add_option("--export", options.exportPath, "write the area schedule to this file (.csv or .xlsx)");
    run->add_option("--report", options.reportPath,
                    "write the plans and the area schedule to this file (HTML, or PDF for .pdf)");
    run->add_option("--lang", options.language, "language of the add-on's resources")
        ->check(CLI::IsMember({"en", "de"}));
    run->add_option("--prefs", options.prefsDir, "folder of the stored preferences");
    run->add_option("--module", options.modulePath, "the add-on module to load");
    run->add_option("--resources", options.resourcesDir, "the add-on's resource folder");
    run->add_flag("--stats", options.stats,
                  "after the session, print per command its wall time, host calls, time in the host and in the "
                  "add-on, and the peak memory");
    AddImportOptions(run, importTexts);

    std::string importModel, importOut;
    CLI::App* import = cli.add_subcommand("import", "import MODEL.ifc (IFC2X3 or IFC4) into the project file OUT.json");
    import->add_option("model", importModel, "IFC model (STEP)")->required();
    import->add_option("out", importOut, "project file to write (JSON)")->required();
    AddImportOptions(import, importTexts);

    CLI::App* areas = cli.add_subcommand(
        "areas", "a model's area lists: import MODEL.ifc (or open PROJECT.json), one Arealist per TOP, the full check, "
                 "the report, export and dump");
    areas->add_option("model", options.project, "IFC model (.ifc) or project file (JSON)")->required();
    areas->add_option("--report", options.reportPath,
                      "write the plans and the area schedule to this file (HTML, or PDF for .pdf)");
    areas->add_option("--export", options.exportPath, "write the area schedule to this file (.csv or .xlsx)");
    areas->add_option("--dump", options.dump, "write the final state to this file (JSON)");
    areas->add_option("--since", options.since,
                      "the state an earlier areas or run dumped (--dump) of this building: play the model's changes "
                      "on it as edits and list them");
    areas->add_option("--ifc", options.ifcPath, "write the model back with its area lists to this file (IFC)");
    areas->add_option("--lang", options.language, "language of the add-on's resources")
        ->check(CLI::IsMember({"en", "de"}));
    areas->add_option("--prefs", options.prefsDir, "folder of the stored preferences");
    areas->add_option("--module", options.modulePath, "the add-on module to load");
    areas->add_option("--resources", options.resourcesDir, "the add-on's resource folder");
    AddImportOptions(areas, importTexts);

    Runner::TowerOptions tower;
    std::string towerPath, towerIfcPath;
    CLI::App* generate = cli.add_subcommand("generate", "write a synthetic residential tower to OUT.json");
    generate->add_option("out", towerPath, "project file to write (JSON)")->required();
    generate->add_option("--storeys", tower.storeys, "number of storeys")->capture_default_str();
    generate->add_option("--tops-per-storey", tower.topsPerStorey, "TOPs (apartment units) per storey")
        ->capture_default_str();
    generate->add_option("--zones-per-top", tower.zonesPerTop, "zones (rooms) per TOP")->capture_default_str();
    generate->add_flag("--arealists", tower.arealists, "add one linked Arealist per TOP");
    generate->add_option("--ifc", towerIfcPath, "also write the tower as an IFC4 model to this file");
    generate->add_option("--seed", tower.seed, "the same seed gives the same file")
        ->check(CLI::Validator(
            [](std::string& text) {
                std::uint64_t value = 0;
                const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
                return code == std::errc() && end == text.data() + text.size()
                           ? std::string()
                           : "expected a whole number from 0 to 18446744073709551615, got " + text;
            },
            "UINT"))
        ->capture_default_str();
    std::string repeatModel, repeatOut;
    int repeatCopies = 40;
    CLI::App* repeat = cli.add_subcommand(
        "repeat",
        "write MODEL.ifc's DATA N times (offset ids, changed GlobalIds, one project) to OUT.ifc: a large real "
        "model for measuring the import");
    repeat->add_option("model", repeatModel, "IFC model (STEP text or zipped)")->required();
    repeat->add_option("out", repeatOut, "IFC model to write")->required();
    repeat->add_option("--copies", repeatCopies, "number of copies (1 to 10000)")->capture_default_str();
    bool markdown = false, expectSubjects = false;
    CLI::App* commands = cli.add_subcommand("commands", "list the session commands and expect subjects");
    commands->add_flag("--markdown", markdown, "as the Markdown table docs/runner.md holds");
    commands->add_flag("--expect", expectSubjects, "with --markdown: the expect subjects instead of the commands");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = cli.exit(e);
        // Help is not bad input; anything else on the command line is.
        return code == 0 ? 0 : Runner::ExitBadInput;
    }
    if (commands->parsed()) {
        std::cout << (!markdown        ? Runner::CommandsHelp()
                      : expectSubjects ? Runner::ExpectSubjectsMarkdown()
                                       : Runner::CommandsMarkdown());
        return 0;
    }
    if (generate->parsed())
        return Runner::Generate(tower, towerPath, towerIfcPath, std::cout, std::cerr);
    if (repeat->parsed())
        return Runner::Repeat(repeatModel, repeatCopies, repeatOut, std::cout, std::cerr);
    if (Runner::Status status = importTexts.Resolve(options.import); !status) {
        std::cerr << "arealist-host: " << status.Message() << "\n";
        return Runner::ExitBadInput;
    }
    if (import->parsed())
        return Runner::ImportModel(importModel, importOut, options.import, std::cout, std::cerr);
    if (areas->parsed())
        return Runner::Areas(options, std::cout, std::cerr);
    return Runner::Run(options, std::cin, std::cout, std::cerr);
}
