// The TOPs named in the plans, in natural order, and the fill colour each one gets there.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace Runner::Report {

class TopColours {
public:
    // Every TOP named anywhere in the plans; duplicates and order do not matter.
    explicit TopColours(std::vector<std::string> tops);

    // The TOP's position in natural order, -1 for a TOP not given to the constructor.
    int IndexOf(const std::string& top) const;
    // A light fill, distinct from its neighbours in natural order, for dark text on it.
    static std::string Fill(int index);
    const std::vector<std::string>& Ordered() const { return ordered; }

private:
    std::vector<std::string> ordered;
    std::unordered_map<std::string, int> index;
};

} // namespace Runner::Report
