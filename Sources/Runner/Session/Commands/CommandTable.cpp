// The whole command table, the lookup of a line's command, and the help and documentation made
// from the table.
#include "CommandTable.hpp"

#include <cstring>
#include <vector>

#include "../ExpectSubjects.hpp"

namespace Runner {

namespace {

const std::vector<CommandGroup>& Groups()
{
    static const std::vector<CommandGroup> groups = {ProjectCommands(), ElementCommands(), PaletteCommands(),
                                                     TeamworkCommands(), ControlCommands()};
    return groups;
}

// A table cell: pipes would end the cell.
std::string Cell(const std::string& text)
{
    std::string cell;
    for (const char c : text) {
        if (c == '|')
            cell += '\\';
        cell += c;
    }
    return cell;
}

// "usage   description", the description in a column of its own when the usage leaves room.
std::string HelpLine(const char* usage, const char* description)
{
    constexpr std::size_t column = 40;
    std::string line = std::string("  ") + usage;
    if (line.size() + 2 <= column)
        line += std::string(column - line.size(), ' ');
    else
        line += "\n" + std::string(column, ' ');
    return line + description + "\n";
}

} // namespace

std::span<const CommandEntry* const> AllCommands()
{
    static const std::vector<const CommandEntry*> all = [] {
        std::vector<const CommandEntry*> entries;
        for (const CommandGroup& group : Groups())
            for (const CommandEntry& entry : group.commands)
                entries.push_back(&entry);
        return entries;
    }();
    return all;
}

const CommandEntry* FindCommand(const ArgReader& reader, const CommandFamily*& family)
{
    family = nullptr;
    const std::string& word = reader.WordText(0);
    const CommandEntry* withoutSubWord = nullptr;
    for (const CommandEntry* entry : AllCommands()) {
        if (word != entry->word)
            continue;
        if (entry->subWord == nullptr)
            withoutSubWord = entry;
        else if (reader.Keyword(1, entry->subWord))
            return entry;
    }
    if (withoutSubWord != nullptr)
        return withoutSubWord;
    for (const CommandGroup& group : Groups())
        for (const CommandFamily& candidate : group.families)
            if (word == candidate.word)
                family = &candidate;
    return nullptr;
}

Status CheckInsideBracket(const CommandEntry& entry, int beginLine)
{
    if (beginLine == 0 || (entry.traits & OwnUserAction) == 0)
        return Status::Ok();
    const std::string name = entry.subWord != nullptr ? std::string(entry.word) + " " + entry.subWord : entry.word;
    return Status::BadInput("`" + name +
                            "` is a user action of its own and cannot stand inside begin/end (begin on line " +
                            std::to_string(beginLine) + ")");
}

namespace {

// The commands that a begin/end bracket refuses, as a sentence for help and the documentation.
std::string OwnUserActionsText(const char* quote)
{
    std::string list;
    for (const CommandEntry* entry : AllCommands()) {
        if ((entry->traits & OwnUserAction) == 0)
            continue;
        list += (list.empty() ? "" : ", ") + std::string(quote) + entry->word +
                (entry->subWord != nullptr ? std::string(" ") + entry->subWord : "") + quote;
    }
    return "Between begin and end (one user action) these commands, each a user action of its own, are bad "
           "input: " +
           list + ".\n";
}

} // namespace

std::string CommandsHelp()
{
    std::string help = "Commands (REF: ID | top:\"T\" | top:\"T\"#n):\n";
    for (const CommandEntry* entry : AllCommands())
        help += HelpLine(entry->usage, entry->description);
    return help + OwnUserActionsText("") + "\n" + ExpectHelp();
}

std::string CommandsMarkdown()
{
    std::string text = "| command | meaning |\n|---|---|\n";
    for (const CommandEntry* entry : AllCommands())
        text += "| `" + Cell(entry->usage) + "` | " + Cell(entry->description) + " |\n";
    return text + "\n" + OwnUserActionsText("`");
}

std::string ExpectSubjectsMarkdown()
{
    std::string text = "| subject | value |\n|---|---|\n";
    for (const ExpectSubject& subject : ExpectSubjects())
        text += "| `" + Cell(subject.usage) + "` | " + Cell(subject.meaning) + " |\n";
    return text;
}

} // namespace Runner
