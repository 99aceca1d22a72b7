// The page shown when no object is current: the template's look and nothing else.
#pragma once

#include "zoltStatusBase.h"
#include "resource.h"

class CZOLTStatusNone : public CZOLTStatusBase<CZOLTStatusNone, IDD_STATUS_NONE> {
public:
   typedef CZOLTStatusBase<CZOLTStatusNone, IDD_STATUS_NONE> Base;

   BEGIN_MSG_MAP(CZOLTStatusNone)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()
};
