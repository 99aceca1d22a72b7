// The about page: the product, its version and facts about the current host, on the status-page
// template, embedded in the about box.
#pragma once

#include "zoltStatusBase.h"
#include "zoltStatusLbl.h"
#include "resource.h"

#include <string>

namespace cui {
class Host;
}

namespace aboutpage {

// What the page's value controls show.
struct Facts {
   std::string product;    // 1124
   std::string version;    // 1059
   std::string hostName;   // 1128
   std::string memory;     // 1063
   std::string hostOS;     // 1129
   std::string logFile;    // 1130
};
// For `host` (null or without a node: this computer); `zephro` names the Zephro edition.
Facts FactsFor(const cui::Host *host, bool zephro);

}  // namespace aboutpage

class CZOLTStatusAbout : public CZOLTStatusBase<CZOLTStatusAbout, IDD_STATUS_ABOUT> {
public:
   typedef CZOLTStatusBase<CZOLTStatusAbout, IDD_STATUS_ABOUT> Base;

   CZOLTStatusAbout() = default;
   ~CZOLTStatusAbout() override;

   BEGIN_MSG_MAP(CZOLTStatusAbout)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   void FreeBrushes();

   atl::ScopedBrush greyBrush_;
   atl::ScopedBrush slateBrush_;
   CZOLTStatusLbl productLabel_;
   CZOLTStatusLbl moreLabel_;
};
