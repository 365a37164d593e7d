// The window plumbing in real windows (the tests run on a virtual display): the
// message dialog's buttons and results, the input query, the error dialog's texts,
// anchored controls in a resized window, the placement store and the message thunk.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/interaction.h"
#include "core/identity.h"
#include "core/registry.h"
#include "platform/text.h"
#include "support/window_driver.h"
#include "ui/error_dialog.h"
#include "ui/images.h"
#include "ui/list_view.h"
#include "ui/message_dialog.h"
#include "ui/placement.h"
#include "ui/tree_view.h"
#include "ui/window_interaction.h"

namespace {

using V = std::vector<std::string>;

// A key as the keyboard sends it to the focused control.
void Press(WPARAM key) {
  PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
  PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000000);
}

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Windows need a display; the test run provides a virtual one.
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(probe, nullptr) << "no display to create windows on";
    DestroyWindow(probe);
    InstallInteraction(&ui_);
  }
  void TearDown() override { InstallInteraction(nullptr); }
  WindowInteraction ui_;
};

// Buttons in their order with their captions; each one answers its modal result;
// Enter gives the default answer (OK, else Ja, else Wiederholen), Escape the cancel
// answer (Abbrechen, else Nein, else OK); the title follows the type.
TEST_F(UiTest, MessageDialogButtonsAndResults) {
  const struct {
    MsgDlgType type;
    TMsgDlgButtons buttons;
    const char* title;
    V captions;
    int enter, escape;
  } cases[] = {
      {mtConfirmation, mbYesNo, "Bestätigen", {"&Ja", "&Nein"}, mrYes, mrNo},
      {mtWarning, mbYesNoCancel, "Warnung", {"&Ja", "&Nein", "Abbrechen"}, mrYes, mrCancel},
      {mtError, mbOK, "Fehler", {"OK"}, mrOk, mrOk},
      {mtInformation, mbRetry | mbAbort | mbIgnore, "Information", {"&Abbrechen", "&Wiederholen", "&Ignorieren"},
       mrRetry, mrCancel},
      {mtCustom, mbYes | mbNo | mbAll | mbNoToAll | mbYesToAll | mbHelp, ProductName,
       {"&Ja", "&Nein", "&Alles", "&Alle Nein", "A&lle Ja", "&Hilfe"}, mrYes, mrNo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    V captions;
    std::string title, text;
    WhenShown([&](HWND form) {
      title = TextOf(form);
      for (HWND child : Children(form)) {
        if (ClassOf(child) == "Button") captions.push_back(TextOf(child));
        if (ClassOf(child) == "Static" && !TextOf(child).empty()) text = TextOf(child);
      }
      Press(VK_RETURN);
    });
    EXPECT_EQ(MessageDlg("Erste Zeile\rzweite Zeile", c.type, c.buttons), c.enter);
    EXPECT_EQ(title, c.title);
    EXPECT_EQ(captions, c.captions);
    EXPECT_EQ(text, "Erste Zeile\r\nzweite Zeile");
    WhenShown([](HWND) { Press(VK_ESCAPE); });
    EXPECT_EQ(MessageDlg("x", c.type, c.buttons), c.escape);
    for (const MessageButton& b : kMessageButtons) {
      if (!(c.buttons & b.Flag) || b.Flag == mbHelp) continue;
      WhenShown([&](HWND form) {
        Click(form, "&Hilfe");  // closes nothing
        Click(form, b.Caption);
      });
      EXPECT_EQ(MessageDlg("x", c.type, c.buttons), b.Result) << b.Caption;
    }
  }
}

TEST_F(UiTest, InputQueryGivesTheLineOnlyOnOk) {
  for (const bool ok : {true, false}) {
    std::string value = "vorher";
    WhenShown([&](HWND form) {
      SetWindowTextW(GetFocus(), L"Größe");  // the edit line has the focus
      Click(form, ok ? "OK" : "Abbrechen");
    });
    EXPECT_EQ(UI().InputQuery("Eingabe des Dateinamens", "Bitte Dateinamen eingeben (ohne Endung)", value), ok);
    EXPECT_EQ(value, ok ? "Größe" : "vorher");
  }
}

// The category line by the exception's class, the message, the details; shown cut off
// until "&Details" is pressed.
TEST_F(UiTest, ErrorDialogNamesTheCategoryAndShowsDetailsOnRequest) {
  const struct {
    std::function<void()> raise;
    const char* category;
    const char* type;
  } cases[] = {
      {[] { throw EMyRegistryException("Zugriff verweigert"); },
       "Fehler beim Umgang mit der Windows-Registrierdatenbank (Registry)", "EMyRegistryException"},
      {[] { throw EConvertError("keine Zahl"); }, "Fehler bei der Typumwandlung einer Variable", "EConvertError"},
      {[] { throw std::runtime_error("irgendwas"); }, "Allgemeiner Programmfehler", "runtime_error"},
  };
  for (const auto& c : cases) {
    try {
      c.raise();
    } catch (const std::exception& e) {
      TErrorFRM dialog(e, "TfMain", "TfMain");
      int heightBefore = 0, heightAfter = 0;
      V texts;
      WhenShown([&](HWND form) {
        for (HWND child : Children(form)) texts.push_back(TextOf(child));
        RECT r;
        Settle();  // the cut-off comes 10 ms after showing
        GetWindowRect(form, &r);
        heightBefore = r.bottom - r.top;
        Click(form, "&Details");
        GetWindowRect(form, &r);
        heightAfter = r.bottom - r.top;
        Click(form, "&Ok");
      });
      EXPECT_EQ(dialog.ShowModal(), mrOk);
      EXPECT_EQ(dialog.Category(), c.category);
      EXPECT_NE(std::find(texts.begin(), texts.end(), c.category), texts.end()) << c.category;
      EXPECT_NE(std::find(texts.begin(), texts.end(), e.what()), texts.end());
      EXPECT_EQ(dialog.Details(), std::string("Fehlertyp:\r\n   ") + c.type +
                                      "\r\nFehlerverursacher:\r\n   TfMain\r\nFehlerort:\r\n   TfMain");
      EXPECT_LT(heightBefore, heightAfter);
    }
  }
}

// A form with controls anchored every way: small and large, every control stays
// inside the client area, stretched and moved as anchored.
class AnchoredForm : public TfTSW_BasicForm {
 public:
  AnchoredForm() : TfTSW_BasicForm("TAnchoredForm", "Probe", {300, 200}) {}
  HWND list = nullptr, ok = nullptr, label = nullptr;

 protected:
  void CreateControls() override {
    label = AddControl(L"STATIC", "Beschriftung", 0, {10, 10, 200, 26}, akTopLeft);
    list = AddControl(L"LISTBOX", "", WS_BORDER, {10, 30, 290, 150}, akAll);
    ok = AddButton("&Ok", {215, 165, 290, 190}, akRight | akBottom, mrOk, true);
  }
};

TEST_F(UiTest, AnchoredControlsFollowTheWindowAndStayInside) {
  AnchoredForm form;
  form.CreateHandle(nullptr);
  ShowWindow(form.Handle(), SW_SHOW);
  for (const SIZE size : {SIZE{50, 40}, SIZE{900, 700}, SIZE{400, 300}}) {
    SetWindowPos(form.Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_GE(client.right, form.Scale(300));  // never smaller than designed
    for (HWND c : {form.list, form.ok, form.label}) {
      RECT r;
      GetWindowRect(c, &r);
      MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << size.cx;
    }
    RECT list, ok;
    GetWindowRect(form.list, &list);
    GetWindowRect(form.ok, &ok);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&ok), 2);
    EXPECT_EQ(list.right - list.left, client.right - form.Scale(20));  // stretched with the window
    EXPECT_EQ(ok.right, client.right - form.Scale(10));                 // moved with its corner
    EXPECT_EQ(ok.bottom, client.bottom - form.Scale(10));
  }
  EXPECT_EQ(TextOf(form.Handle()), std::string("Probe ") + ProductName);
}

// A report list with a splitter position, kept by the flags.
class PersistingForm : public TfTSW_BasicForm {
 public:
  PersistingForm() : TfTSW_BasicForm("TPersistingForm", "Probe", {300, 200}) {}
  HWND list = nullptr;
  int split = 100;
  int columns = 2;

 protected:
  void CreateControls() override {
    list = AddControl(WC_LISTVIEWW, "", LVS_REPORT, {10, 10, 290, 190}, akAll);
    for (int c = 0; c < columns; ++c) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      column.cx = 50;
      ListView_InsertColumn(list, c, &column);
    }
    PersistColumns(list, "Liste");
    PersistSplitter("Teiler", [this] { return split; }, [this](int x) { split = x; });
  }
};

// Column widths and a splitter position come back by the flags, the widths only
// while the list still has as many columns.
TEST_F(UiTest, ColumnsAndSplittersAreKeptByTheFlags) {
  const std::string key = "Software\\Velmoria\\QuitawayTests\\ui-persist";
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(key).c_str());
  OpenSettingsRegistry(key);
  {
    PersistingForm form;
    form.PersistFlags = pfListColumns | pfSplitters;
    form.CreateHandle(nullptr);
    ListView_SetColumnWidth(form.list, 1, 77);
    form.split = 140;
  }
  const struct {
    uint8_t flags;
    int columns, width, split;
  } cases[] = {{pfListColumns | pfSplitters, 2, 77, 140}, {0, 2, 50, 100}, {pfListColumns, 3, 50, 100}};
  for (const auto& c : cases) {
    PersistingForm form;
    form.PersistFlags = c.flags;
    form.columns = c.columns;
    form.CreateHandle(nullptr);
    EXPECT_EQ(ListView_GetColumnWidth(form.list, 1), c.width) << int(c.flags) << " " << c.columns;
    EXPECT_EQ(form.split, c.split) << int(c.flags);
    form.PersistFlags = 0;  // the next case finds what the first one stored
  }
  CloseSettingsRegistry();
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(key).c_str());
}

// A custom sort orders the view by the model's rows; the selection still reads back
// into the right model rows.
TEST_F(UiTest, ListViewSortsByTheModelAndKeepsTheSelection) {
  PersistingForm form;
  form.CreateHandle(nullptr);
  ListViewControl view;
  view.Attach(form.list, {}, 96);
  ListModel model;
  for (const char* caption : {"b", "c", "a"}) model.Add({caption, {std::string(caption) + "1"}});
  view.Show(model);
  view.Sort(model, [](const ListRow& x, const ListRow& y) { return x.Caption > y.Caption; });
  EXPECT_EQ((V{view.Text(0, 0), view.Text(1, 0), view.Text(2, 1)}), (V{"c", "b", "a1"}));
  ListView_SetItemState(form.list, 0, LVIS_SELECTED, LVIS_SELECTED);
  view.ReadSelection(model);
  EXPECT_EQ((std::vector<bool>{model.Row(0).Selected, model.Row(1).Selected, model.Row(2).Selected}),
            (std::vector<bool>{false, true, false}));
}

// Placement kept in the settings key under the form's name and given back.
TEST_F(UiTest, PlacementIsStoredAndRestored) {
  const std::string key = "Software\\Velmoria\\QuitawayTests\\ui-settings";
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(key).c_str());
  OpenSettingsRegistry(key);
  RECT stored{};
  {
    AnchoredForm form;
    form.SavePosition = true;
    form.CreateHandle(nullptr);
    SetWindowPos(form.Handle(), nullptr, 40, 50, 500, 400, SWP_NOZORDER);
    GetWindowRect(form.Handle(), &stored);
  }  // destroyed: written
  TMyRegIniFile ini(key);
  EXPECT_EQ(ini.ReadString("TAnchoredForm", "NormPos", ""), "40,50,540,450");
  AnchoredForm again;
  again.SavePosition = true;
  again.CreateHandle(nullptr);
  RECT r;
  GetWindowRect(again.Handle(), &r);
  EXPECT_TRUE(EqualRect(&r, &stored));
  CloseSettingsRegistry();
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(key).c_str());
}

// An exception in a handler never crosses the window procedure: it goes to the
// installed error handler with the form's name, and the window lives on.
class ThrowingForm : public TfTSW_BasicForm {
 public:
  ThrowingForm() : TfTSW_BasicForm("TThrowingForm", "", {100, 50}) {}

 protected:
  void Command(int id, int, HWND) override {
    if (id == 77) throw EQuitawayError("kaputt");
  }
};

std::string g_reported;

TEST_F(UiTest, ExceptionsInHandlersGoToTheErrorHandler) {
  SetWindowErrorHandler(
      [](const std::string& sender, const std::exception& e) { g_reported = sender + ": " + e.what(); });
  ThrowingForm form;
  form.CreateHandle(nullptr);
  SendMessageW(form.Handle(), WM_COMMAND, 77, 0);
  EXPECT_EQ(g_reported, "TThrowingForm: kaputt");
  EXPECT_TRUE(IsWindow(form.Handle()));
  SetWindowErrorHandler(nullptr);
}

}  // namespace

namespace {

// A tree view on a form that hands its notifications to the binding.
class TreeForm : public TfTSW_BasicForm {
 public:
  explicit TreeForm(Tree& tree) : TfTSW_BasicForm("TTreeForm", "Baum", {300, 300}), tree_(tree) {}
  std::unique_ptr<TreeViewBinding> binding;

 protected:
  void CreateControls() override {
    HWND view = AddControl(WC_TREEVIEWW, "", WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                           {0, 0, 300, 300}, akAll, 50);
    TreeView_SetImageList(view, CreateProgramImages(Dpi()), TVSIL_NORMAL);
    TreeView_SetImageList(view, CreateStateImages(Dpi()), TVSIL_STATE);
    binding = std::make_unique<TreeViewBinding>(view, tree_);
  }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    LRESULT result = 0;
    if (msg == WM_NOTIFY && binding && binding->HandleNotify(*reinterpret_cast<NMHDR*>(lp), result)) return result;
    return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
  }

 private:
  Tree& tree_;
};

int ViewState(const TreeViewBinding& b, const TreeNode& n) {
  return static_cast<int>(TreeView_GetItemState(b.View(), b.ItemOf(n), TVIS_STATEIMAGEMASK) >> 12);
}

std::string ViewText(const TreeViewBinding& b, const TreeNode& n) {
  wchar_t text[64] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_HANDLE;
  tv.hItem = b.ItemOf(n);
  tv.pszText = text;
  tv.cchTextMax = 64;
  TreeView_GetItem(b.View(), &tv);
  return platform::WideToUtf8(text);
}

// The view follows the model: children appear when a node expands (loaded once),
// changed states and texts show, deleted nodes go; a click on a node's state image
// reaches that node.
TEST_F(UiTest, TreeViewFollowsTheModelAndLoadsOnExpansion) {
  Tree tree;
  int loads = 0;
  tree.SetLoader([&](TreeNode& node) {
    ++loads;
    for (const char* name : {"Eins", "Zwei", "Drei"}) {
      TreeNode* child = node.AddChild(name);
      child->SetStateIndex(node.StateIndex());
      child->SetHasChildren(node.Level() < 2);
    }
  });
  TreeNode* top = tree.AddTop("Arbeitsplatz");
  top->SetStateIndex(3);
  top->SetHasChildren(true);
  TreeForm form(tree);
  form.CreateHandle(nullptr);
  ShowWindow(form.Handle(), SW_SHOW);
  TreeViewBinding& b = *form.binding;
  ASSERT_NE(b.ItemOf(*top), nullptr);
  EXPECT_EQ(top->Count(), 0u);  // nothing loaded before it expands

  TreeView_Expand(b.View(), b.ItemOf(*top), TVE_EXPAND);
  ASSERT_EQ(top->Count(), 3u);
  EXPECT_TRUE(top->Expanded());
  EXPECT_EQ(ViewText(b, *top->Child(1)), "Zwei");
  TreeView_Expand(b.View(), b.ItemOf(*top), TVE_COLLAPSE);
  TreeView_Expand(b.View(), b.ItemOf(*top), TVE_EXPAND);
  EXPECT_EQ(loads, 1);  // loaded once

  top->Child(0)->SetStateIndex(4);
  top->Child(2)->SetText("Drei neu");
  EXPECT_EQ(ViewState(b, *top->Child(0)), 4);
  EXPECT_EQ(ViewText(b, *top->Child(2)), "Drei neu");
  top->Child(1)->Delete();
  EXPECT_EQ(TreeView_GetCount(b.View()), 3u);

  // A real click on the state image of "Drei neu".
  TreeNode* clicked = nullptr;
  b.OnCheckClick = [&](TreeNode& node) {
    clicked = &node;
    node.SetStateIndex(4);
  };
  RECT text;
  TreeView_GetItemRect(b.View(), b.ItemOf(*top->Child(1)), &text, TRUE);
  POINT at{text.left - form.Scale(16) - form.Scale(8), (text.top + text.bottom) / 2};
  ClientToScreen(b.View(), &at);
  SetForegroundWindow(form.Handle());
  SetCursorPos(at.x, at.y);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));
  Settle();
  EXPECT_EQ(clicked, top->Child(1));
  EXPECT_EQ(ViewState(b, *top->Child(1)), 4);
}

}  // namespace
