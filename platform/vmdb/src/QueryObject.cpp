#include "QueryObject.h"

#include "vmdb/Store.h"

#include <cctype>

namespace vmdb {

namespace {

bool IsBlank(char c)
{
   return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Scanner {
public:
   explicit Scanner(const std::string &text) : text_(text) {}

   void SkipBlanks()
   {
      while (at_ < text_.size() && IsBlank(text_[at_])) {
         ++at_;
      }
   }
   bool AtEnd()
   {
      SkipBlanks();
      return at_ >= text_.size();
   }
   long Position() const { return static_cast<long>(at_); }

   // A keyword, case-blind, ended by a blank or the end.
   bool Keyword(const char *word)
   {
      SkipBlanks();
      size_t n = 0;
      while (word[n]) {
         if (at_ + n >= text_.size() || std::toupper(static_cast<unsigned char>(text_[at_ + n])) != word[n]) {
            return false;
         }
         ++n;
      }
      if (at_ + n < text_.size() && !IsBlank(text_[at_ + n])) {
         return false;
      }
      at_ += n;
      return true;
   }
   // "$" and the name or pattern up to a blank or '='.
   bool Dollar(std::string &name)
   {
      SkipBlanks();
      if (at_ >= text_.size() || text_[at_] != '$') {
         return false;
      }
      size_t start = ++at_;
      while (at_ < text_.size() && !IsBlank(text_[at_]) && text_[at_] != '=' && text_[at_] != '"') {
         ++at_;
      }
      name = text_.substr(start, at_ - start);
      return !name.empty();
   }
   bool Char(char c)
   {
      SkipBlanks();
      if (at_ < text_.size() && text_[at_] == c) {
         ++at_;
         return true;
      }
      return false;
   }
   // A double-quoted text; '\' takes the next character as it is.
   bool Quoted(std::string &value)
   {
      SkipBlanks();
      if (at_ >= text_.size() || text_[at_] != '"') {
         return false;
      }
      size_t i = at_ + 1;
      std::string out;
      while (i < text_.size() && text_[i] != '"') {
         if (text_[i] == '\\' && i + 1 < text_.size()) {
            ++i;
         }
         out += text_[i++];
      }
      if (i >= text_.size()) {
         return false;
      }
      at_ = i + 1;
      value = out;
      return true;
   }

private:
   const std::string &text_;
   size_t at_ = 0;
};

// Every node below `node` (a full path with a trailing "/") that the segments from `at` match.
void Match(vmdbstore::Context &ctx, const std::string &node, const std::vector<std::string> &segments, size_t at,
           std::vector<std::string> &rows)
{
   if (at == segments.size()) {
      rows.push_back(node);
      return;
   }
   const std::string &segment = segments[at];
   if (segment == "#") {
      for (const std::string &child : ctx.Children(node)) {
         if (!child.empty() && child[0] == '#') {
            Match(ctx, node + child + "/", segments, at + 1, rows);
         }
      }
   } else if (ctx.Exists(node + segment)) {
      Match(ctx, node + segment + "/", segments, at + 1, rows);
   }
}

}  // namespace

bool ParseQuery(const std::string &text, Query &query, std::string &error, long &position)
{
   Scanner scan(text);
   Query parsed;
   auto fail = [&](const char *what) {
      error = what;
      position = scan.Position();
      return false;
   };
   if (!scan.Keyword("SELECT")) {
      return fail("SELECT expected");
   }
   if (!scan.Keyword("FROM")) {
      return fail("FROM expected");
   }
   if (!scan.Dollar(parsed.pattern)) {
      return fail("a $path expected after FROM");
   }
   if (!scan.AtEnd()) {
      if (!scan.Keyword("WHERE")) {
         return fail("WHERE or the end expected");
      }
      if (!scan.Dollar(parsed.whereName)) {
         return fail("a $name expected after WHERE");
      }
      if (!scan.Char('=')) {
         return fail("= expected");
      }
      if (!scan.Quoted(parsed.whereValue)) {
         return fail("a quoted value expected");
      }
      if (!scan.AtEnd()) {
         return fail("the end of the query expected");
      }
   }
   query = parsed;
   return true;
}

HRESULT ParseErrorObject::Create(REFIID iid, void **ppv)
{
   return Hand(new ParseErrorObject, iid, ppv);
}

HRESULT ParseErrorObject::raw_GetText(BSTR *text)
{
   if (!text) {
      return E_POINTER;
   }
   *text = BstrFromUtf8(text_);
   return S_OK;
}

HRESULT ParseErrorObject::raw_GetPosition(long *position)
{
   if (!position) {
      return E_POINTER;
   }
   *position = position_;
   return S_OK;
}

HRESULT ParseErrorObject::raw_SetError(BSTR text, long position)
{
   text_ = Utf8FromBstr(text);
   position_ = text_.empty() ? -1 : position;
   return S_OK;
}

HRESULT ExecuteErrorObject::Create(REFIID iid, void **ppv)
{
   return Hand(new ExecuteErrorObject, iid, ppv);
}

HRESULT ExecuteErrorObject::raw_GetText(BSTR *text)
{
   if (!text) {
      return E_POINTER;
   }
   *text = BstrFromUtf8(text_);
   return S_OK;
}

HRESULT ExecuteErrorObject::raw_SetError(BSTR text)
{
   text_ = Utf8FromBstr(text);
   return S_OK;
}

HRESULT QueryObject::Create(REFIID iid, void **ppv)
{
   return Hand(new QueryObject, iid, ppv);
}

HRESULT QueryObject::raw_Parse(BSTR text, IVmdbParseError *error)
{
   VMDB_COM_TRY
   std::string source = Utf8FromBstr(text);
   std::string what;
   long position = -1;
   rows_.clear();
   next_ = 0;
   parsed_ = ParseQuery(source, query_, what, position);
   if (!parsed_) {
      std::string message = "Query syntax error at " + std::to_string(position) + ": " + what;
      if (error) {
         _bstr_t bmessage(BstrFromUtf8(message), false);
         error->raw_SetError(bmessage, position);
      }
      return vmdb::Fail(E_INVALIDARG, __uuidof(IVmdbQuery), message);
   }
   if (error) {
      error->raw_SetError(nullptr, -1);
   }
   return S_OK;
   VMDB_COM_CATCH(IVmdbQuery)
}

HRESULT QueryObject::raw_Execute(IVmdbContext *ctx, IVmdbExecuteError *error)
{
   auto fail = [&](HRESULT hr, const std::string &text) {
      if (error) {
         _bstr_t btext(BstrFromUtf8(text), false);
         error->raw_SetError(btext);
      }
      return vmdb::Fail(hr, __uuidof(IVmdbQuery), text);
   };
   rows_.clear();
   next_ = 0;
   if (!parsed_) {
      return fail(E_UNEXPECTED, "The query was not parsed");
   }
   if (!ctx) {
      return fail(E_POINTER, "No context to run the query on");
   }
   try {
      INT_PTR handle = 0;
      HRESULT hr = ctx->raw_GetRawHandle(&handle);
      if (FAILED(hr) || !handle) {
         return fail(FAILED(hr) ? hr : E_POINTER, "The context has no database");
      }
      vmdbstore::Context &raw = *vmdbstore::ContextFromRawHandle(handle);
      // The pattern's "#" segments are wildcards here, not the first element a read would take.
      std::string base = raw.CurrentPath();
      if (base.empty() || base.back() != '/') {
         base += '/';
      }
      std::string full = query_.pattern[0] == '/' ? query_.pattern : base + query_.pattern;
      std::vector<std::string> segments;
      for (size_t pos = 1; pos < full.size();) {
         size_t end = full.find('/', pos);
         if (end == std::string::npos) {
            end = full.size();
         }
         std::string segment = full.substr(pos, end - pos);
         if (segment == "..") {
            if (!segments.empty()) {
               segments.pop_back();
            }
         } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
         }
         pos = end + 1;
      }
      std::vector<std::string> rows;
      Match(raw, "/", segments, 0, rows);
      for (const std::string &row : rows) {
         std::string value;
         if (query_.whereName.empty() || (raw.Read(row + query_.whereName, value) && value == query_.whereValue)) {
            rows_.push_back(row);
         }
      }
   } catch (const std::exception &e) {
      return fail(E_FAIL, std::string("The query failed: ") + e.what());
   }
   if (error) {
      error->raw_SetError(nullptr);
   }
   return S_OK;
}

HRESULT QueryObject::raw_FetchNext(BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   *path = BstrFromUtf8(next_ < rows_.size() ? rows_[next_++] : std::string());
   return *path ? S_OK : E_OUTOFMEMORY;
}

}  // namespace vmdb
