#include "cui/SnapshotUtil.h"

#include "cui/LocalizedString.h"
#include "cui/SnapshotTree.h"

namespace cui {
namespace utf8 {

std::string Trim(const std::string &text)
{
   const char *blanks = " \t\r\n\v\f";
   size_t first = text.find_first_not_of(blanks);
   if (first == std::string::npos) {
      return std::string();
   }
   size_t last = text.find_last_not_of(blanks);
   return text.substr(first, last - first + 1);
}

}  // namespace utf8
}  // namespace cui

namespace wui {
namespace util {
namespace snapshot {

namespace {

// Well-formed UTF-8: no stray continuation byte, no truncated or overlong sequence.
bool IsUtf8(const std::string &text)
{
   size_t i = 0;
   while (i < text.size()) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 99;
      if (extra == 99 || (extra == 1 && c < 0xC2) || (extra > 0 && i + extra >= text.size())) {
         return false;
      }
      for (size_t k = 1; k <= extra; ++k) {
         if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
            return false;
         }
      }
      i += extra + 1;
   }
   return true;
}

int Refuse(int code, std::string &message, const std::string &text)
{
   message = text;
   return code;
}

}  // namespace

int ValidateName(const std::string &name, std::string &message)
{
   message.clear();
   if (name.empty()) {
      return Refuse(NAME_EMPTY, message,
                    cui::GetLocalString("@&!*@*@(msg.snapshot.validate.nameEmpty)Type a name for the snapshot."));
   }
   if (name.size() > cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH) {
      return Refuse(NAME_TOO_LONG, message,
                    cui::Format("@&!*@*@(msg.snapshot.validate.nameTooLong)A snapshot name may be at most %u "
                                "characters long.",
                                static_cast<unsigned>(cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH)));
   }
   if (!IsUtf8(name)) {
      return Refuse(TEXT_NOT_UTF8, message,
                    cui::GetLocalString("@&!*@*@(msg.snapshot.validate.notText)The text contains characters that "
                                        "cannot be stored."));
   }
   for (char c : name) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
         return Refuse(NAME_CONTROL_CHARACTER, message,
                       cui::GetLocalString("@&!*@*@(msg.snapshot.validate.nameControl)A snapshot name must fit on "
                                           "one line and may not contain tabs or other control characters."));
      }
   }
   return VALID;
}

int ValidateDescription(const std::string &description, std::string &message)
{
   message.clear();
   if (description.size() > cui::SnapshotTree::MAX_DESCRIPTION_LENGTH) {
      return Refuse(DESCRIPTION_TOO_LONG, message,
                    cui::Format("@&!*@*@(msg.snapshot.validate.descriptionTooLong)A snapshot description may be at "
                                "most %u characters long.",
                                static_cast<unsigned>(cui::SnapshotTree::MAX_DESCRIPTION_LENGTH)));
   }
   if (!IsUtf8(description)) {
      return Refuse(TEXT_NOT_UTF8, message,
                    cui::GetLocalString("@&!*@*@(msg.snapshot.validate.notText)The text contains characters that "
                                        "cannot be stored."));
   }
   return VALID;
}

}  // namespace snapshot
}  // namespace util
}  // namespace wui
