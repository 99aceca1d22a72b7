#include "zoltDlgLayout.h"

#include "res/resource.h"

#include <algorithm>
#include <cctype>

std::string ConvertLineEnds(const std::string &text)
{
   std::string out;
   out.reserve(text.size() + text.size() / 8);
   for (size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c == '\n' && (i == 0 || text[i - 1] != '\r')) {
         out += "\r\n";
      } else {
         out += c;
      }
   }
   if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) {
      out.resize(out.size() - 2);
   }
   return out;
}

std::vector<ButtonRecord> BuildChoiceRecords(const std::vector<std::string> &choices, size_t *overflow)
{
   std::vector<ButtonRecord> records;
   size_t given = 0;
   for (size_t i = 0; i < choices.size(); ++i) {
      if (choices[i].empty()) {
         continue;
      }
      ++given;
      if (records.size() == kMaxChoiceButtons) {
         continue;
      }
      ButtonRecord record;
      record.text = choices[i];
      size_t underscore = record.text.find('_');
      if (underscore != std::string::npos) {
         record.text[underscore] = '&';
      }
      record.id = static_cast<int>(i);
      record.visible = 1;
      record.enabled = TRUE;
      records.push_back(record);
   }
   if (overflow) {
      *overflow = given > kMaxChoiceButtons ? given : 0;
   }
   return records;
}

int FindChoiceRecord(const std::vector<ButtonRecord> &choices, int id)
{
   for (size_t i = 0; i < choices.size(); ++i) {
      if (choices[i].id == id) {
         return static_cast<int>(i);
      }
   }
   return -1;
}

bool LabelEquals(const std::string &label, const char *word)
{
   std::string plain = label;
   size_t amp = plain.find('&');
   if (amp != std::string::npos) {
      plain.erase(amp, 1);
   }
   std::string other = word;
   if (plain.size() != other.size()) {
      return false;
   }
   for (size_t i = 0; i < plain.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(plain[i])) != std::tolower(static_cast<unsigned char>(other[i]))) {
         return false;
      }
   }
   return true;
}

void FoldCustomChoices(ButtonPlan &plan)
{
   if (plan.set != "custom" || plan.choices.size() != 2) {
      return;
   }
   static const struct {
      const char *first;
      const char *second;
      const char *set;
   } kPairs[] = {
      {"ok", "cancel", "okCancel"},
      {"retry", "abort", "retryAbort"},
      {"retry", "cancel", "retryCancel"},
      {"yes", "no", "yesNo"},
   };
   for (const auto &pair : kPairs) {
      if (LabelEquals(plan.choices[0].text, pair.first) && LabelEquals(plan.choices[1].text, pair.second)) {
         plan.set = pair.set;
         plan.choices[0].visible = 0;
         plan.choices[1].visible = 0;
         return;
      }
   }
}

namespace {

ButtonRecord MakeButton(const std::string &text, int id, int visible, BOOL enabled)
{
   ButtonRecord record;
   record.text = text;
   record.id = id;
   record.visible = visible;
   record.enabled = enabled;
   return record;
}

void LayoutCustomButtons(ButtonPlan &plan, const StringLoader &load)
{
   int cancelRecord = FindChoiceRecord(plan.choices, plan.cancelIndex);
   if (plan.cancelIndex >= 0 && cancelRecord >= 0 && LabelEquals(plan.choices[cancelRecord].text, "cancel")) {
      plan.choices[cancelRecord].visible = 0;
      plan.choices[cancelRecord].text = load(IDS_DLG_CANCEL);
   }
   if (plan.choices.size() == 2) {
      for (size_t i = 0; i < 2; ++i) {
         plan.buttons[i] = MakeButton(plan.choices[i].text, plan.choices[i].id, SW_SHOW, TRUE);
         plan.choices[i].visible = 0;
      }
      return;
   }
   if (plan.choices.size() == 1) {
      plan.buttons[0] = MakeButton(plan.choices[0].text, plan.choices[0].id, SW_SHOW, TRUE);
      plan.choices[0].visible = 0;
   } else {
      plan.buttons[0] = MakeButton(load(IDS_DLG_OK), plan.defaultIndex, SW_SHOW, TRUE);
   }
   if (plan.cancelIndex < 0) {
      plan.buttons[1] = MakeButton(load(IDS_DLG_CANCEL), -1, SW_HIDE, FALSE);
   } else {
      plan.buttons[1] = MakeButton(load(IDS_DLG_CANCEL), plan.cancelIndex, SW_SHOW, TRUE);
   }
}

}  // namespace

void LayoutButtons(ButtonPlan &plan, const StringLoader &load)
{
   if (plan.kind == "hint") {
      plan.checkBox = MakeButton(load(IDS_DLG_HINT_SUPPRESS), -1, SW_SHOW, TRUE);
   } else if (plan.kind == "hintQuestion") {
      plan.checkBox = MakeButton(load(IDS_DLG_QUESTION_SUPPRESS), -1, SW_SHOW, TRUE);
   } else {
      plan.checkBox = MakeButton("???", -1, SW_HIDE, FALSE);
   }
   plan.buttons.assign(2, ButtonRecord());

   const std::string before = plan.set;
   FoldCustomChoices(plan);
   const bool folded = before != plan.set;

   static const struct {
      const char *set;
      unsigned first;
      unsigned second;
   } kSets[] = {
      {"okCancel", IDS_DLG_OK, IDS_DLG_CANCEL},     {"retryAbort", IDS_DLG_RETRY, IDS_DLG_ABORT},
      {"retryCancel", IDS_DLG_RETRY, IDS_DLG_CANCEL}, {"yesNo", IDS_DLG_YES, IDS_DLG_NO},
      {"password", IDS_DLG_OK, IDS_DLG_CANCEL},
   };
   if (plan.set == "custom") {
      LayoutCustomButtons(plan, load);
      return;
   }
   if (plan.set == "ok") {
      plan.buttons[0] = MakeButton(load(IDS_DLG_OK), 0, SW_SHOW, TRUE);
      plan.buttons[1] = MakeButton("???", 0, SW_HIDE, FALSE);
   }
   for (const auto &entry : kSets) {
      if (plan.set == entry.set) {
         plan.buttons[0] = MakeButton(load(entry.first), 0, SW_SHOW, TRUE);
         plan.buttons[1] = MakeButton(load(entry.second), 1, SW_SHOW, TRUE);
      }
   }
   // A folded pair answers with its choices' own positions, which skipped empty choices shift.
   if (folded) {
      plan.buttons[0].id = plan.choices[0].id;
      plan.buttons[1].id = plan.choices[1].id;
   }
   if (plan.defaultIndex < 0) {
      plan.defaultIndex = 0;
   }
   if (plan.cancelIndex < 0) {
      plan.cancelIndex = plan.set == "ok" ? 0 : 1;
   }
}

namespace {

int Height(const RECT &r)
{
   return r.bottom - r.top;
}

int Width(const RECT &r)
{
   return r.right - r.left;
}

RECT AtTop(RECT r, int top)
{
   int h = Height(r);
   r.top = top;
   r.bottom = top + h;
   return r;
}

DlgLayoutOutput Place(const DlgLayoutInput &in, int textHeight)
{
   DlgLayoutOutput out;
   int top = in.icon.top;
   if (in.lineCount == 1) {
      top = in.icon.top + Height(in.icon) / 2 - textHeight / 2;
   }
   out.text = in.text;
   out.text.top = top;
   out.text.bottom = top + textHeight;
   int y = std::max(in.icon.bottom, out.text.bottom);

   if (in.password) {
      out.passwordField = AtTop(in.passwordField, y + 15);
      out.passwordLabel = in.passwordLabel;
      out.passwordLabel.top = out.passwordField.top;
      out.passwordLabel.bottom = out.passwordField.bottom;
      out.confirmField = AtTop(in.confirmField, out.passwordField.bottom + 5);
      out.confirmLabel = in.confirmLabel;
      out.confirmLabel.top = out.confirmField.top;
      out.confirmLabel.bottom = out.confirmField.bottom;
      y = out.confirmField.bottom + 5;
   }
   for (size_t i = 0; i < in.choices.size(); ++i) {
      RECT r = AtTop(in.choices[i], i == 0 ? y + 15 : out.choices.back().bottom + 5);
      out.choices.push_back(r);
   }
   if (!out.choices.empty()) {
      y = out.choices.back().bottom;
   }
   if (in.checkBoxVisible) {
      out.checkBox = AtTop(in.checkBox, y + 20);
      y = out.checkBox.bottom;
   }

   out.first = in.first;
   out.second = in.second;
   int excess = in.secondLabelWidth - (Width(out.second) - 8);
   if (excess > 0) {
      out.second.left -= excess;
      out.first.left -= excess;
      out.first.right -= excess;
   }
   excess = in.firstLabelWidth - (Width(out.first) - 8);
   if (excess > 0) {
      out.first.left -= excess;
   }
   int buttonHeight = Height(out.first);
   out.first = AtTop(out.first, y + 15);
   out.second = AtTop(out.second, y + 15);
   out.first.bottom = out.second.bottom = y + 15 + buttonHeight;
   y = out.first.bottom;
   if (in.okOnly) {
      out.first = out.second;
   }
   out.clientHeight = y + 15;
   return out;
}

}  // namespace

DlgLayoutOutput ComputeDlgLayout(const DlgLayoutInput &in)
{
   DlgLayoutOutput out = Place(in, in.textHeight);
   if (in.maxClientHeight > 0 && out.clientHeight > in.maxClientHeight) {
      // Too tall for the monitor: the text gives up the excess and scrolls instead.
      const int minText = std::min(in.textHeight, std::max(Height(in.icon), 16));
      int clamped = std::max(minText, in.textHeight - (out.clientHeight - in.maxClientHeight));
      out = Place(in, clamped);
      out.textScrolls = true;
   }
   return out;
}
