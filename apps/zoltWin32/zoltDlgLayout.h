// The window-free decisions behind the message dialog: which buttons and choices it shows with
// which labels and answers, its text's line ends, and where its controls go.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// One push button or choice: its label, the answer it gives (-1 none), whether it shows (the
// value is also the ShowWindow command) and whether it is enabled.
struct ButtonRecord {
   std::string text;
   int id = -1;
   int visible = 0;
   BOOL enabled = FALSE;
};

// The choice buttons the template holds (1171 to 1181).
constexpr size_t kMaxChoiceButtons = 11;

// Everything LayoutButtons decides. `set` may change (two custom choices fold into a standard
// set); `buttons` are the first (1241) and second (1242) push buttons.
struct ButtonPlan {
   std::string set;
   std::string kind;
   int defaultIndex = -1;
   int cancelIndex = -1;
   std::vector<ButtonRecord> choices;
   std::vector<ButtonRecord> buttons;
   ButtonRecord checkBox;
};

typedef std::function<std::string(unsigned int)> StringLoader;

// Every bare LF becomes CRLF (an existing CRLF stays); one line end at the very end is dropped,
// so a text ending in a line feed shows no empty last line.
std::string ConvertLineEnds(const std::string &text);

// One record per non-empty choice; its id is the choice's position, so ids keep their meaning
// when empty choices are skipped. The first underscore becomes the access-key ampersand. More
// choices than buttons are reported in `overflow` (the count given) and cut to the buttons.
std::vector<ButtonRecord> BuildChoiceRecords(const std::vector<std::string> &choices, size_t *overflow);

// The record whose answer is `id`; -1 when none.
int FindChoiceRecord(const std::vector<ButtonRecord> &choices, int id);

// Two custom choices that name a standard pair (OK/Cancel, Retry/Abort, Retry/Cancel,
// Yes/No) turn the set into that pair's set and hide both choices.
void FoldCustomChoices(ButtonPlan &plan);

// The check box and both push buttons for the plan's kind and set, labels from `load`.
void LayoutButtons(ButtonPlan &plan, const StringLoader &load);

// The text with its first '&' removed, compared without regard to case.
bool LabelEquals(const std::string &label, const char *word);

// Where the controls of the message dialog go, in client coordinates. Rectangles of hidden
// controls are ignored. `maxClientHeight` (0: no limit) is the tallest client area that fits the
// work area: a longer text is clamped and scrolls.
struct DlgLayoutInput {
   RECT icon{};
   RECT text{};
   int textHeight = 0;
   int lineCount = 1;
   bool password = false;
   RECT passwordField{}, passwordLabel{}, confirmField{}, confirmLabel{};
   std::vector<RECT> choices;      // the visible choices' buttons, in order
   bool checkBoxVisible = false;
   RECT checkBox{};
   RECT first{}, second{};
   int firstLabelWidth = 0, secondLabelWidth = 0;
   bool okOnly = false;            // set "ok": the single button stands at the right
   int maxClientHeight = 0;
};

struct DlgLayoutOutput {
   RECT text{};
   bool textScrolls = false;
   RECT passwordField{}, passwordLabel{}, confirmField{}, confirmLabel{};
   std::vector<RECT> choices;
   RECT checkBox{};
   RECT first{}, second{};
   int clientHeight = 0;
};

DlgLayoutOutput ComputeDlgLayout(const DlgLayoutInput &in);
