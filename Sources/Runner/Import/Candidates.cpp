// Candidates for the TOP and the category: group the spaces by a text, keep the texts that make
// several groups of more than one space over at least half of the spaces.
#include "Candidates.hpp"

#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>

namespace Runner::Import {

namespace {

// A source must reach at least this share of the spaces: a property on a handful of them says
// nothing about the building's units.
constexpr double minCoverage = 0.5;
// Categories come in a few kinds; a text with more values than this is no category.
constexpr std::size_t maxCategoryGroups = 24;
constexpr std::size_t shownGroups = 3;

struct Grouping {
    std::vector<std::pair<std::string, std::size_t>> groups; // text, spaces; largest first
    std::size_t shared = 0;                                  // groups of more than one space
    std::size_t covered = 0;                                 // spaces with a text
};

Grouping Group(const std::vector<std::string>& texts)
{
    Grouping grouping;
    std::unordered_map<std::string, std::size_t> index;
    for (const std::string& text : texts) {
        const auto [found, fresh] = index.try_emplace(text, grouping.groups.size());
        if (fresh)
            grouping.groups.emplace_back(text, 0);
        ++grouping.groups[found->second].second;
    }
    std::stable_sort(grouping.groups.begin(), grouping.groups.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    for (const auto& group : grouping.groups)
        grouping.shared += group.second > 1 ? 1 : 0;
    grouping.covered = texts.size();
    return grouping;
}

bool IsSeparator(char c)
{
    return c == ' ' || c == '_' || c == '-' || c == '.' || c == ':' || c == '/';
}

// The start all texts share, cut back to just after a separator (so that "Unit A" and "Unit B"
// share "Unit ", not "Unit " and half a word); empty where it would leave a text empty. Separators
// are ASCII, so a cut never splits a UTF-8 sequence.
std::string SharedPrefix(const std::vector<std::string>& texts)
{
    std::string prefix = texts.front();
    for (const std::string& text : texts)
        prefix.resize(
            std::size_t(std::mismatch(prefix.begin(), prefix.end(), text.begin(), text.end()).first - prefix.begin()));
    while (!prefix.empty() && !IsSeparator(prefix.back()))
        prefix.pop_back();
    for (const std::string& text : texts)
        if (text.size() <= prefix.size())
            return {};
    return prefix;
}

// The end all texts share after `skip` bytes, cut forward to begin at a separator.
std::string SharedSuffix(const std::vector<std::string>& texts, std::size_t skip)
{
    std::string suffix = texts.front().substr(skip);
    for (const std::string& text : texts) {
        const std::size_t limit = std::min(suffix.size(), text.size() - skip);
        std::size_t same = 0;
        while (same < limit && suffix[suffix.size() - 1 - same] == text[text.size() - 1 - same])
            ++same;
        suffix.erase(0, suffix.size() - same);
    }
    while (!suffix.empty() && !IsSeparator(suffix.front()))
        suffix.erase(0, 1);
    for (const std::string& text : texts)
        if (text.size() <= skip + suffix.size())
            return {};
    return suffix;
}

std::string RegexEscaped(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos)
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string Describe(const Grouping& grouping)
{
    std::string text =
        std::to_string(grouping.groups.size()) + " groups over " + std::to_string(grouping.covered) + " spaces, e.g. ";
    for (std::size_t i = 0; i < grouping.groups.size() && i < shownGroups; ++i)
        text += (i == 0 ? "" : ", ") + Quoted(grouping.groups[i].first) + " (" +
                std::to_string(grouping.groups[i].second) + (i == 0 ? " spaces)" : ")");
    return text;
}

bool Qualifies(const Grouping& grouping, std::size_t spaces)
{
    return grouping.shared >= 2 && double(grouping.covered) >= minCoverage * double(spaces);
}

// Each property's texts, one per space (the first a space has).
std::vector<std::vector<std::string>> TextsOf(const ModelRecords& records)
{
    std::vector<std::vector<std::string>> all;
    for (const TextPropertyRecord& property : records.textProperties) {
        std::vector<std::string> texts;
        std::size_t last = records.spaces.size();
        for (const auto& [space, text] : property.values)
            if (space != last) {
                texts.push_back(text);
                last = space;
            }
        all.push_back(std::move(texts));
    }
    return all;
}

// "property:SET.NAME" reads the set up to the first dot: a set with a dot cannot be named.
bool Nameable(const ValueRef& property)
{
    return property.set.find('.') == std::string::npos && property.name != apartmentIdProperty;
}

struct Ranked {
    Candidate candidate;
    std::size_t groups;
    std::size_t covered;
};

// By groups (most or fewest first), then by the spaces reached, then in the order found.
std::vector<Candidate> Best(std::vector<Ranked> ranked, std::size_t limit, bool fewestFirst)
{
    std::stable_sort(ranked.begin(), ranked.end(), [&](const Ranked& a, const Ranked& b) {
        if (a.groups != b.groups)
            return fewestFirst ? a.groups < b.groups : a.groups > b.groups;
        return a.covered > b.covered;
    });
    std::vector<Candidate> best;
    for (std::size_t i = 0; i < ranked.size() && i < limit; ++i)
        best.push_back(std::move(ranked[i].candidate));
    return best;
}

// The separator the room numbers use most, if any.
char NumberSeparator(const ModelRecords& records)
{
    std::map<char, std::size_t> uses;
    for (const SpaceRecord& space : records.spaces)
        for (const char c : std::string_view(".-/_ "))
            if (space.number.find(c) != std::string::npos)
                ++uses[c];
    char best = 0;
    std::size_t most = 0;
    for (const auto& [c, count] : uses)
        if (count > most)
            best = c, most = count;
    return best;
}

void AddNumberCandidates(const ModelRecords& records, std::vector<Ranked>& ranked)
{
    const char separator = NumberSeparator(records);
    if (separator == 0)
        return;
    // None of the separators needs an escape inside brackets.
    const std::string part = "[^" + std::string(1, separator) + "]+";
    const std::string escaped = RegexEscaped(std::string(1, separator));
    for (const std::size_t depth : {1, 2}) {
        std::vector<std::string> prefixes;
        for (const SpaceRecord& space : records.spaces) {
            std::size_t end = std::string::npos, from = 0;
            for (std::size_t k = 0; k < depth; ++k) {
                end = space.number.find(separator, from);
                if (end == std::string::npos || end == 0)
                    break;
                from = end + 1;
            }
            if (end != std::string::npos && end > 0)
                prefixes.push_back(space.number.substr(0, end));
        }
        const Grouping grouping = Group(prefixes);
        if (!Qualifies(grouping, records.spaces.size()))
            continue;
        std::string pattern = "^(" + part;
        for (std::size_t k = 1; k < depth; ++k)
            pattern += escaped + part;
        pattern += ")" + escaped;
        ranked.push_back({{std::string(depth == 1 ? "the first part" : "the first two parts") +
                               " of the room numbers (before " + Quoted(std::string(depth, separator)) + ")",
                           Describe(grouping), "--top-from number --top-pattern " + ShellWord(pattern)},
                          grouping.shared,
                          grouping.covered});
    }
}

} // namespace

std::string ShellWord(const std::string& text)
{
    const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) ||
               std::string_view("_-.:/=,+@%").find(c) != std::string_view::npos;
    });
    if (plain)
        return text;
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::vector<Candidate> TopCandidates(const ModelRecords& records, std::size_t limit)
{
    std::vector<Ranked> ranked;
    const std::vector<std::vector<std::string>> texts = TextsOf(records);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const ValueRef& property = records.textProperties[i].property;
        if (!Nameable(property) || !Qualifies(Group(texts[i]), records.spaces.size()))
            continue;
        // The pattern drops what every value shares ("Unit A OccupancyZoneName": "A").
        std::vector<std::string> distinct = texts[i];
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        const std::string prefix = SharedPrefix(distinct);
        const std::string suffix = SharedSuffix(distinct, prefix.size());
        std::vector<std::string> tops;
        for (const std::string& text : texts[i])
            tops.push_back(text.substr(prefix.size(), text.size() - prefix.size() - suffix.size()));
        const Grouping grouping = Group(tops);
        std::string options = "--top-from " + ShellWord("property:" + property.Text());
        if (!prefix.empty() || !suffix.empty())
            options += " --top-pattern " + ShellWord("^" + RegexEscaped(prefix) + "(.+)" + RegexEscaped(suffix) + "$");
        ranked.push_back(
            {{"property " + property.Text(), Describe(grouping), options}, grouping.shared, grouping.covered});
    }
    AddNumberCandidates(records, ranked);
    return Best(std::move(ranked), limit, false);
}

std::vector<Candidate> CategoryCandidates(const ModelRecords& records, std::size_t limit)
{
    std::vector<Ranked> ranked;
    const std::vector<std::vector<std::string>> texts = TextsOf(records);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const ValueRef& property = records.textProperties[i].property;
        const Grouping grouping = Group(texts[i]);
        if (!Nameable(property) || !Qualifies(grouping, records.spaces.size()) ||
            grouping.groups.size() > maxCategoryGroups)
            continue;
        ranked.push_back({{"property " + property.Text(), Describe(grouping),
                           "--category-from " + ShellWord("property:" + property.Text())},
                          grouping.groups.size(),
                          grouping.covered});
    }
    return Best(std::move(ranked), limit, true);
}

} // namespace Runner::Import
