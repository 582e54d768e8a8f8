// DG: the host's dialog library. Alerts, modal dialogs and palettes built from the add-on's
// layouts. Nobody sits at the screen: a UserAgent installed by the host plays the user (answers
// alerts, drives modal dialogs) and receives a trace line for everything a user would notice.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../API/APIdefs.hpp"

// Types of this library keep default visibility even in modules built with hidden visibility, so
// that one type has one identity (dynamic_cast, exceptions) across the host and its add-ons.
#define DG_EXPORT __attribute__((visibility("default")))

namespace DG {

class Panel;
class ModalDialog;
class Item;

// ---------------------------------------------------------------------------------------------
// The user at the screen.

struct AlertInfo {
    short id = 0;            // alert resource id; 0 for the host's own error and information alerts
    GS::UniString texts[4];  // substitution texts; for id 0: large text, small text, "", ""
    GS::UniString largeText; // resolved texts as shown
    GS::UniString smallText;
    std::vector<GS::UniString> buttons;
    short defaultButton = 1;
};

class DG_EXPORT UserAgent {
public:
    virtual ~UserAgent() = default;
    // The button (from 1) the user presses.
    virtual short AnswerAlert(const AlertInfo& alert) = 0;
    // Plays the user's next step in an open modal dialog: select rows (ListBox::SelectItem), press
    // buttons (Panel::ClickButton). Returns false when the user has nothing more to do; the dialog
    // is then cancelled.
    virtual bool PlayModalStep(ModalDialog& dialog) = 0;
    virtual void Trace(const std::string& line) = 0;
};

// Installs the agent (nullptr: alerts take their default button, dialogs are cancelled, no trace).
void SetUserAgent(UserAgent* agent);
UserAgent* GetUserAgent();

// ---------------------------------------------------------------------------------------------
// Alerts. Results count buttons from 1.

short Alert(GSResModule module, short alertId, const GS::UniString& text1, const GS::UniString& text2,
            const GS::UniString& text3, const GS::UniString& text4);
short ErrorAlert(const GS::UniString& largeText, const GS::UniString& smallText, const GS::UniString& button1,
                 const GS::UniString& button2 = GS::UniString(), const GS::UniString& button3 = GS::UniString());
short InformationAlert(const GS::UniString& largeText, const GS::UniString& smallText, const GS::UniString& button1,
                       const GS::UniString& button2 = GS::UniString(), const GS::UniString& button3 = GS::UniString());

// ---------------------------------------------------------------------------------------------
// Events and observers.

class DG_EXPORT ItemEvent {
public:
    explicit ItemEvent(Item* source) : source(source) {}
    Item* GetSource() const { return source; }

private:
    Item* source;
};
using ButtonClickEvent = ItemEvent;
using ListBoxSelectionEvent = ItemEvent;
using ListBoxDoubleClickEvent = ItemEvent;

class DG_EXPORT PanelEvent {
public:
    explicit PanelEvent(Panel* source) : source(source) {}
    Panel* GetSource() const { return source; }

private:
    Panel* source;
};
using PanelOpenEvent = PanelEvent;
using PanelCloseEvent = PanelEvent;

class DG_EXPORT PanelCloseRequestEvent : public PanelEvent {
public:
    PanelCloseRequestEvent(Panel* source, bool accept) : PanelEvent(source), accept(accept) {}
    bool IsAccepted() const { return accept; } // an OK-type request, not a cancel
    bool IsCancelled() const { return !accept; }

private:
    bool accept;
};

class DG_EXPORT PanelResizeEvent : public PanelEvent {
public:
    PanelResizeEvent(Panel* source, Int32 dh, Int32 dv) : PanelEvent(source), dh(dh), dv(dv) {}
    Int32 GetHorizontalChange() const { return dh; }
    Int32 GetVerticalChange() const { return dv; }

private:
    Int32 dh, dv;
};

class DG_EXPORT PanelObserver {
public:
    virtual ~PanelObserver() = default;
    virtual void PanelOpened(const PanelOpenEvent&) {}
    virtual void PanelClosed(const PanelCloseEvent&) {}
    virtual void PanelCloseRequested(const PanelCloseRequestEvent&, bool* /*accepted*/) {}
    virtual void PanelResized(const PanelResizeEvent&) {}
};

class DG_EXPORT ItemObserver {
public:
    virtual ~ItemObserver() = default;
};

class DG_EXPORT ButtonItemObserver : public virtual ItemObserver {
public:
    virtual void ButtonClicked(const ButtonClickEvent&) {}
};

class DG_EXPORT ListBoxObserver : public virtual ItemObserver {
public:
    virtual void ListBoxSelectionChanged(const ListBoxSelectionEvent&) {}
    virtual void ListBoxDoubleClicked(const ListBoxDoubleClickEvent&) {}
};

// Attaches the derived object as observer of every item of a panel, for every item observer
// interface it implements.
class DG_EXPORT CompoundItemObserver : public virtual ItemObserver {
public:
    void AttachToAllItems(const Panel& panel);
    void DetachFromAllItems(const Panel& panel);
};

// ---------------------------------------------------------------------------------------------
// Panels and items.

class DG_EXPORT Panel {
public:
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;
    virtual ~Panel();

    short GetId() const { return panelId; } // 0 when the layout could not be loaded
    GSResModule GetResModule() const { return resModule; }
    const GS::UniString& GetTitle() const { return title; }

    Int32 GetWidth() const { return width; }
    Int32 GetHeight() const { return height; }

    void Attach(PanelObserver& observer);
    void Detach(PanelObserver& observer);

    void BeginEventProcessing() { processingEvents = true; }
    void EndEventProcessing() { processingEvents = false; }

    void BeginMoveResizeItems() { ++moveResizeDepth; }
    void EndMoveResizeItems() { --moveResizeDepth; }

    void EnableItems();
    void DisableItems();

    const std::vector<Item*>& GetItems() const { return items; }
    Item* GetItem(short itemId) const;

    // What the user does (the runner plays these). Each is delivered to the observers.
    bool ClickButton(short itemId);  // false when there is no such enabled button
    void Resize(Int32 dh, Int32 dv); // the user drags the panel's corner
    bool RequestClose(bool accept);  // returns whether the request was accepted

protected:
    Panel(GSResModule module, short resId, const char* expectedKind);

    // Called after the observers accepted a close request; dialogs end, palettes hide.
    virtual void CloseAccepted(bool /*accept*/) {}
    // The trace name of the panel, e.g. "dialog 32510".
    std::string TraceName() const;

    std::vector<PanelObserver*> observers;

private:
    friend class Item;
    friend class CompoundItemObserver;

    short panelId = 0;
    GSResModule resModule = InvalidResModule;
    GS::UniString title;
    Int32 width = 0, height = 0;
    bool processingEvents = false;
    int moveResizeDepth = 0;
    std::vector<Item*> items;
};

class DG_EXPORT Item {
public:
    Item(const Panel& panel, short itemId);
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;
    virtual ~Item();

    short GetId() const { return itemId; }
    Panel* GetPanel() const { return panel; }
    bool IsValid() const { return valid; } // false when the layout has no such item

    Int32 GetX() const { return x; }
    Int32 GetY() const { return y; }
    Int32 GetWidth() const { return width; }
    Int32 GetHeight() const { return height; }
    void SetWidth(Int32 newWidth) { width = newWidth; }
    void SetHeight(Int32 newHeight) { height = newHeight; }
    void SetPosition(Int32 newX, Int32 newY)
    {
        x = newX;
        y = newY;
    }
    void Move(Int32 dh, Int32 dv)
    {
        x += dh;
        y += dv;
    }
    void Resize(Int32 dh, Int32 dv)
    {
        width += dh;
        height += dv;
    }
    void MoveAndResize(Int32 mdh, Int32 mdv, Int32 rdh, Int32 rdv)
    {
        Move(mdh, mdv);
        Resize(rdh, rdv);
    }

    void Enable() { enabled = true; }
    void Disable() { enabled = false; }
    bool IsEnabled() const { return enabled; }

    void Attach(ItemObserver& observer);
    void Detach(ItemObserver& observer);
    const std::vector<ItemObserver*>& GetObservers() const { return observers; }

    const std::string& GetType() const { return type; }
    const GS::UniString& GetText() const { return text; }
    void SetText(const GS::UniString& newText) { text = newText; }

private:
    friend class Panel;

    Panel* panel;
    short itemId;
    bool valid = false;
    std::string type;
    Int32 x = 0, y = 0, width = 0, height = 0;
    bool enabled = true;
    GS::UniString text;
    std::vector<ItemObserver*> observers;
};

class DG_EXPORT Button : public Item {
public:
    using Item::Item;
};

class DG_EXPORT Separator : public Item {
public:
    using Item::Item;
};

class DG_EXPORT LeftText : public Item {
public:
    using Item::Item;
};

class DG_EXPORT ListBox : public Item {
public:
    static constexpr short BottomItem = -1; // the last row
    static constexpr short AllItems = 0;

    enum Justification { DefaultJust = 0, Left = 1, Center = 2, Right = 3 };
    enum Truncation { NoTrunc = 0, EndTrunc = 1, MiddleTrunc = 2 };

    using Item::Item;

    void SetTabFieldCount(short count);
    short GetTabFieldCount() const { return short(tabFields.size()); }
    void SetTabFieldProperties(short tabIndex, short begPos, short endPos, Int32 justification, Int32 truncation,
                               bool hasSeparator, bool status);
    short GetTabFieldBeginPosition(short tabIndex) const;
    short GetTabFieldEndPosition(short tabIndex) const;

    void SetHeaderItemCount(short count) { headers.resize(std::size_t(count)); }
    void SetHeaderItemText(short headerIndex, const GS::UniString& text);
    void SetHeaderItemSize(short headerIndex, short size);
    GS::UniString GetHeaderItemText(short headerIndex) const;
    short GetHeaderItemSize(short headerIndex) const;

    Int32 GetItemWidth() const { return GetWidth(); }

    void AppendItem();
    void InsertItem(short row); // a new row before `row`; BottomItem or the count plus one append
    void DeleteItem(short row); // AllItems (0) removes every row
    short GetItemCount() const { return short(rows.size()); }
    // A program's own value for a row, e.g. the element it shows; it moves with the row when rows
    // above it are inserted or deleted. A row without one answers the null GUID.
    void SetItemGuidData(short row, const GS::Guid& data); // row BottomItem = last
    GS::Guid GetItemGuidData(short row) const;
    void SetTabItemText(short row, short tabIndex, const GS::UniString& text); // row BottomItem = last
    GS::UniString GetTabItemText(short row, short tabIndex) const;

    void SelectItem(short row);                       // what the user does; 0 clears the selection
    short GetSelectedItem(short startFrom = 1) const; // 0 when none

    // The rows as shown, one text per tab field.
    const std::vector<std::vector<GS::UniString>>& GetRows() const { return rows; }
    // The rows' GUID data, aligned with GetRows.
    const std::vector<GS::Guid>& GetRowsGuidData() const { return rowData; }

private:
    struct TabField {
        short begin = 0, end = 0;
        Int32 justification = 0, truncation = 0;
        bool hasSeparator = false, enabled = true;
    };
    struct Header {
        GS::UniString text;
        short size = 0;
    };
    std::vector<TabField> tabFields;
    std::vector<Header> headers;
    std::vector<std::vector<GS::UniString>> rows;
    std::vector<GS::Guid> rowData; // one per row
    short selected = 0;
};

class DG_EXPORT SingleSelListBox : public ListBox {
public:
    using ListBox::ListBox;
};

// ---------------------------------------------------------------------------------------------
// Dialogs and palettes.

class DG_EXPORT ModalDialog : public Panel {
public:
    enum ModalResponse { Accept = 1, Cancel = 2 };

    ModalDialog(GSResModule dialogModule, short resId, GSResModule iconModule);

    // Opens the dialog and lets the user work until it closes; true when it was accepted.
    bool Invoke();
    void PostCloseRequest(ModalResponse response);
    bool IsOpen() const { return open; }

    // Steps after which an agent that never lets the dialog close is cut off (cancel).
    static constexpr int MaxSteps = 10000;

protected:
    void CloseAccepted(bool accept) override;

private:
    bool open = false;
    bool closed = false;
    bool accepted = false;
    bool closeRequested = false;
    ModalResponse pendingResponse = Cancel;
};

class DG_EXPORT ModelessBase : public Panel {
public:
    void Show(short refDialId = -32768);
    void Hide();
    bool IsVisible() const { return visible; }

protected:
    ModelessBase(GSResModule module, short resId, const char* expectedKind);
    void CloseAccepted(bool accept) override;

private:
    bool visible = false;
    bool opened = false;
};

class DG_EXPORT Palette : public ModelessBase {
public:
    Palette(GSResModule module, short resId, GSResModule iconModule, const GS::Guid& guid);
    ~Palette() override;
    const GS::Guid& GetGuid() const { return guid; }

private:
    GS::Guid guid;
};

// The live palette with this identity, or nullptr (the host inspects and clicks it).
Palette* FindPalette(const GS::Guid& guid);

} // namespace DG
