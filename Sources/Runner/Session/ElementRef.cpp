// Parsing of element references.
#include "ElementRef.hpp"

namespace Runner {

std::string ElementRef::Describe() const
{
    if (!byTop)
        return id;
    return "top:\"" + top + "\"" + (nth != 1 ? "#" + std::to_string(nth) : std::string());
}

Status ParseElementRef(const Word& word, ElementRef& ref)
{
    ref = ElementRef();
    ref.text = word.text;
    const std::string& text = word.text;
    const bool topForm = text.size() >= 4 && text.compare(0, 4, "top:") == 0 && word.quoteStart >= 4;
    if (!topForm) {
        if (text.empty())
            return Status::BadInput("empty element reference");
        ref.id = text;
        return Status::Ok();
    }
    ref.byTop = true;
    std::string rest = text.substr(4);
    // An unquoted "#n" at the end picks the n-th Arealist; a '#' inside the quotes is part of the TOP.
    const std::size_t hash = text.rfind('#');
    if (hash != std::string::npos && hash >= 4 && !word.quoted[hash]) {
        const std::string number = text.substr(hash + 1);
        bool digits = !number.empty() && number.size() <= 6;
        for (std::size_t i = hash + 1; i < text.size(); ++i)
            digits = digits && !word.quoted[i] && text[i] >= '0' && text[i] <= '9';
        if (!digits || std::stoi(number) < 1)
            return Status::BadInput("expected top:\"T\"#n with n a positive number");
        ref.nth = std::stoi(number);
        rest = text.substr(4, hash - 4);
    }
    ref.top = rest;
    return Status::Ok();
}

} // namespace Runner
