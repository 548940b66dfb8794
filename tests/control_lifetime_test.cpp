// Destroying controls in every order the program and its tests use: the whole
// form, a container with what it holds and owns, a single control, a page.
// Survivors keep whole lists of children and components, and the backend lets
// go of a control as it goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/headless/HeadlessBackend.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ListView.h"
#include "platform/vcl/Timer.h"

namespace {

using Names = std::set<std::string>;

// A component of any kind that notes its name when it is destroyed.
template <class Base>
class Noted : public Base {
 public:
  template <class... Args>
  Noted(Names& gone, Args&&... args) : Base(std::forward<Args>(args)...), gone_(gone) {}
  ~Noted() override { gone_.insert(this->Name()); }

 private:
  Names& gone_;
};

// F ─┬─ G (group box) ─┬─ A  owned by F
//    │                 ├─ B  owned by G
//    │                 └─ (T: timer owned by G)
//    ├─ P (pages) ── S (sheet) ─┬─ E (edit, focused)
//    │                          └─ V (list view with rows)
//    ├─ L (label)
//    └─ X  owned by G, shown on F
struct Window {
  explicit Window(Names& gone) {
    form = new Noted<TForm>(gone, "F", "TF");
    auto* g = new Noted<TGroupBox>(gone, form, "G", form);
    new Noted<TButton>(gone, form, "A", g);
    new Noted<TCheckBox>(gone, g, "B", g);
    (new Noted<TTimer>(gone, g, "T", 0))->SetInterval(1000);
    auto* p = new Noted<TPageControl>(gone, form, "P", form);
    auto* s = new Noted<TTabSheet>(gone, form, "S", p);
    new Noted<TEdit>(gone, form, "E", s);
    auto* v = new Noted<TListView>(gone, form, "V", s);
    v->Add()->SetCaption("row");
    new Noted<TLabel>(gone, form, "L", form);
    new Noted<TButton>(gone, g, "X", form);
  }
  TForm* form;
};

// Every component still reachable from the form, by name.
void Collect(TComponent* c, std::map<std::string, TComponent*>& found) {
  found[c->Name()] = c;
  for (TComponent* owned : c->Components()) Collect(owned, found);
  if (auto* holder = dynamic_cast<TWinControl*>(c))
    for (TControl* child : holder->Controls()) Collect(child, found);
}

// Each survivor's lists name only survivors, and each of those points back.
void ExpectWhole(const std::map<std::string, TComponent*>& alive, const Names& gone) {
  for (const auto& [name, c] : alive) {
    EXPECT_FALSE(gone.count(name)) << name << " is destroyed but still listed";
    for (TComponent* owned : c->Components()) EXPECT_EQ(owned->Owner(), c) << owned->Name();
    if (auto* holder = dynamic_cast<TWinControl*>(c)) {
      for (TControl* child : holder->Controls()) EXPECT_EQ(child->Parent(), holder) << child->Name();
    }
  }
}

TEST(ControlLifetime, EveryOrderOfDestructionLeavesTheSurvivorsWhole) {
  struct Step {
    const char* destroy;
    Names goneAfter;  // everything destroyed so far
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Names all{"A", "B", "E", "F", "G", "L", "P", "S", "T", "V", "X"};
  const Case cases[] = {
      {"the form alone", {{"F", all}}},
      {"a container takes what it holds and what it owns",
       {{"G", {"A", "B", "G", "T", "X"}}, {"F", all}}},
      {"a child, then its container",
       {{"A", {"A"}}, {"G", {"A", "B", "G", "T", "X"}}, {"F", all}}},
      {"a control owned by a container but shown on the form, then the container",
       {{"X", {"X"}}, {"G", {"A", "B", "G", "T", "X"}}, {"F", all}}},
      {"a page control with its page and the focused edit",
       {{"P", {"E", "P", "S", "V"}}, {"F", all}}},
      {"the page first, then its page control", {{"S", {"E", "S", "V"}}, {"P", {"E", "P", "S", "V"}}, {"F", all}}},
      {"one by one, newest first",
       {{"X", {"X"}},
        {"L", {"L", "X"}},
        {"V", {"L", "V", "X"}},
        {"E", {"E", "L", "V", "X"}},
        {"S", {"E", "L", "S", "V", "X"}},
        {"P", {"E", "L", "P", "S", "V", "X"}},
        {"T", {"E", "L", "P", "S", "T", "V", "X"}},
        {"B", {"B", "E", "L", "P", "S", "T", "V", "X"}},
        {"A", {"A", "B", "E", "L", "P", "S", "T", "V", "X"}},
        {"G", {"A", "B", "E", "G", "L", "P", "S", "T", "V", "X"}},
        {"F", all}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessBackend ui(EncodeDate(2026, 3, 2));
    TApplication app(ui);
    Names gone;
    Window window(gone);
    app.MainForm = window.form;
    window.form->Create();
    std::map<std::string, TComponent*> alive;
    Collect(window.form, alive);
    ASSERT_EQ(alive.size(), all.size());
    dynamic_cast<TWinControl*>(alive.at("E"))->SetFocus();
    for (const Step& step : c.steps) {
      SCOPED_TRACE(std::string("destroying ") + step.destroy);
      delete alive.at(step.destroy);
      EXPECT_EQ(gone, step.goneAfter);
      alive.clear();
      if (!gone.count("F")) {
        Collect(window.form, alive);
        ExpectWhole(alive, gone);
      }
      if (gone.count("E")) {
        EXPECT_EQ(ui.Focused, nullptr) << "the backend still holds the focused edit";
      }
    }
  }
}

// The window's own road: Destroy() runs the handler and takes the window away, and the
// form is deleted after it, or deleted without it (a test that never closes it).
TEST(ControlLifetime, AFormGoesWithOrWithoutDestroy) {
  for (bool destroyFirst : {true, false}) {
    SCOPED_TRACE(destroyFirst ? "after Destroy()" : "without Destroy()");
    HeadlessBackend ui(EncodeDate(2026, 3, 2));
    TApplication app(ui);
    Names gone;
    Window window(gone);
    int destroyHandlers = 0;
    window.form->OnDestroy = [&](TObject*) { ++destroyHandlers; };
    app.MainForm = window.form;
    window.form->Create();
    EXPECT_TRUE(ui.WindowShown);
    if (destroyFirst) window.form->Destroy();
    delete window.form;
    EXPECT_FALSE(ui.WindowShown);
    EXPECT_EQ(destroyHandlers, destroyFirst ? 1 : 0);
    EXPECT_EQ(gone, (Names{"A", "B", "E", "F", "G", "L", "P", "S", "T", "V", "X"}));
  }
}

}  // namespace
