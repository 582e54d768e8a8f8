// DG: list boxes with tab fields, headers, rows and a single selection.
#include "DG.hpp"
#include "DGTrace.hpp"

namespace DG {

void ListBox::SetTabFieldCount(short count)
{
    tabFields.resize(count > 0 ? std::size_t(count) : 0);
    for (auto& row : rows)
        row.resize(std::max<std::size_t>(tabFields.size(), 1));
}

void ListBox::SetTabFieldProperties(short tabIndex, short begPos, short endPos, Int32 justification, Int32 truncation,
                                    bool hasSeparator, bool status)
{
    if (tabIndex < 1 || std::size_t(tabIndex) > tabFields.size())
        return;
    tabFields[std::size_t(tabIndex) - 1] = TabField{begPos, endPos, justification, truncation, hasSeparator, status};
}

short ListBox::GetTabFieldBeginPosition(short tabIndex) const
{
    if (tabIndex < 1 || std::size_t(tabIndex) > tabFields.size())
        return 0;
    return tabFields[std::size_t(tabIndex) - 1].begin;
}

short ListBox::GetTabFieldEndPosition(short tabIndex) const
{
    if (tabIndex < 1 || std::size_t(tabIndex) > tabFields.size())
        return 0;
    return tabFields[std::size_t(tabIndex) - 1].end;
}

void ListBox::SetHeaderItemText(short headerIndex, const GS::UniString& newText)
{
    if (headerIndex >= 1 && std::size_t(headerIndex) <= headers.size())
        headers[std::size_t(headerIndex) - 1].text = newText;
}

void ListBox::SetHeaderItemSize(short headerIndex, short size)
{
    if (headerIndex >= 1 && std::size_t(headerIndex) <= headers.size())
        headers[std::size_t(headerIndex) - 1].size = size;
}

GS::UniString ListBox::GetHeaderItemText(short headerIndex) const
{
    if (headerIndex < 1 || std::size_t(headerIndex) > headers.size())
        return GS::UniString();
    return headers[std::size_t(headerIndex) - 1].text;
}

short ListBox::GetHeaderItemSize(short headerIndex) const
{
    if (headerIndex < 1 || std::size_t(headerIndex) > headers.size())
        return 0;
    return headers[std::size_t(headerIndex) - 1].size;
}

void ListBox::AppendItem()
{
    // A list without tab fields still shows one text per row.
    rows.emplace_back(std::max<std::size_t>(tabFields.size(), 1));
    rowData.emplace_back();
}

void ListBox::InsertItem(short row)
{
    if (row == BottomItem || std::size_t(row) == rows.size() + 1) {
        AppendItem();
        return;
    }
    if (row < 1 || std::size_t(row) > rows.size())
        return;
    rows.emplace(rows.begin() + (row - 1), std::max<std::size_t>(tabFields.size(), 1));
    rowData.emplace(rowData.begin() + (row - 1));
    if (selected >= row)
        ++selected;
}

void ListBox::DeleteItem(short row)
{
    if (row == AllItems) {
        rows.clear();
        rowData.clear();
        selected = 0;
        return;
    }
    if (row == BottomItem)
        row = short(rows.size());
    if (row < 1 || std::size_t(row) > rows.size())
        return;
    rows.erase(rows.begin() + (row - 1));
    rowData.erase(rowData.begin() + (row - 1));
    if (selected == row)
        selected = 0;
    else if (selected > row)
        --selected;
}

void ListBox::SetItemGuidData(short row, const GS::Guid& data)
{
    if (row == BottomItem && !rowData.empty())
        rowData.back() = data;
    else if (row >= 1 && std::size_t(row) <= rowData.size())
        rowData[std::size_t(row) - 1] = data;
}

GS::Guid ListBox::GetItemGuidData(short row) const
{
    if (row == BottomItem && !rowData.empty())
        return rowData.back();
    if (row < 1 || std::size_t(row) > rowData.size())
        return GS::Guid();
    return rowData[std::size_t(row) - 1];
}

void ListBox::SetTabItemText(short row, short tabIndex, const GS::UniString& newText)
{
    if (row == BottomItem)
        row = short(rows.size());
    if (row < 1 || std::size_t(row) > rows.size() || tabIndex < 1)
        return;
    auto& texts = rows[std::size_t(row) - 1];
    if (std::size_t(tabIndex) > texts.size())
        return;
    texts[std::size_t(tabIndex) - 1] = newText;
}

GS::UniString ListBox::GetTabItemText(short row, short tabIndex) const
{
    if (row == BottomItem)
        row = short(rows.size());
    if (row < 1 || std::size_t(row) > rows.size() || tabIndex < 1)
        return GS::UniString();
    const auto& texts = rows[std::size_t(row) - 1];
    return std::size_t(tabIndex) <= texts.size() ? texts[std::size_t(tabIndex) - 1] : GS::UniString();
}

void ListBox::SelectItem(short row)
{
    if (row == BottomItem)
        row = short(rows.size());
    if (row < 0 || std::size_t(row) > rows.size())
        return;
    selected = row;
    if (Panel* owner = GetPanel())
        Trace(std::string("listbox ") + std::to_string(GetId()) + " select " + std::to_string(row) +
              (row > 0 ? " " + Quote(GetTabItemText(row, 1)) : std::string()) + " in panel " +
              std::to_string(owner->GetId()));
    const std::vector<ItemObserver*> current = GetObservers();
    const ListBoxSelectionEvent event(this);
    for (ItemObserver* observer : current) {
        if (auto* listObserver = dynamic_cast<ListBoxObserver*>(observer))
            listObserver->ListBoxSelectionChanged(event);
    }
}

short ListBox::GetSelectedItem(short startFrom) const
{
    return selected >= startFrom && selected >= 1 ? selected : 0;
}

} // namespace DG
