// The product edition the program runs as: its title and its help. The program defines the
// edition objects (as globals) and registers one with wui::SetAppContext.
#pragma once

#include <string>

namespace wui {

class AppContext {
public:
   // Only copies texts, so globals of it are safe at static initialisation.
   explicit AppContext(std::string editionTitle = "", std::string helpValue = "zolt");
   virtual ~AppContext();

   // Empty for the plain edition.
   const std::string &GetEditionTitle() const { return editionTitle_; }
   // The help file's base name, for the help commands.
   const std::string &GetHelpValue() const { return helpValue_; }

protected:
   void SetEditionTitle(const std::string &title) { editionTitle_ = title; }
   void SetHelpValue(const std::string &value) { helpValue_ = value; }

private:
   std::string editionTitle_;
   std::string helpValue_;
};

}  // namespace wui
