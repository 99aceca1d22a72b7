#include "tremorybase/CommandLine.h"

namespace {

bool IsSeparator(char c)
{
   return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::vector<std::string> CommandLine_Split(const char *text, const char *argv0, size_t maxArgs)
{
   std::vector<std::string> args;
   if (maxArgs == 0) {
      return args;
   }
   args.push_back(argv0 ? argv0 : "");
   const char *p = text ? text : "";
   for (;;) {
      while (IsSeparator(*p)) p++;
      if (*p == '\0' || args.size() >= maxArgs) {
         break;
      }
      std::string arg;
      bool quoted = false;
      while (*p != '\0' && (quoted || !IsSeparator(*p))) {
         if (*p == '\\') {
            size_t slashes = 0;
            while (*p == '\\') {
               slashes++;
               p++;
            }
            if (*p == '"') {
               arg.append(slashes / 2, '\\');
               if (slashes % 2 == 1) {
                  arg += '"';
                  p++;
               }
               // An even count leaves the quote to act as a delimiter below.
            } else {
               arg.append(slashes, '\\');
            }
         } else if (*p == '"') {
            if (quoted && p[1] == '"') {
               arg += '"';
               p += 2;
            } else {
               quoted = !quoted;
               p++;
            }
         } else {
            arg += *p++;
         }
      }
      args.push_back(arg);
   }
   return args;
}

OptionParser::OptionParser(const std::vector<std::string> &args, const char *optionString, size_t first)
   : args_(args), options_(optionString ? optionString : ""), index_(first)
{
}

int OptionParser::Next()
{
   value_.clear();
   if (charPos_ == 0) {
      if (index_ >= args_.size()) {
         return -1;
      }
      const std::string &arg = args_[index_];
      if (arg.size() < 2 || arg[0] != '-') {
         return -1;
      }
      if (arg == "--") {
         index_++;
         return -1;
      }
      charPos_ = 1;
   }

   current_ = args_[index_];
   optionChar_ = static_cast<unsigned char>(current_[charPos_++]);
   bool lastInArg = charPos_ >= current_.size();
   size_t at = optionChar_ == ':' ? std::string::npos : options_.find(static_cast<char>(optionChar_));
   bool takesValue = at != std::string::npos && at + 1 < options_.size() && options_[at + 1] == ':';

   if (!takesValue || !lastInArg) {
      if (takesValue) {
         value_ = current_.substr(charPos_);
      }
      if (takesValue || lastInArg) {
         index_++;
         charPos_ = 0;
      }
      return at == std::string::npos ? '?' : optionChar_;
   }

   // The value is the next argument, whatever it looks like.
   index_++;
   charPos_ = 0;
   if (index_ >= args_.size()) {
      return '?';
   }
   value_ = args_[index_++];
   return optionChar_;
}
