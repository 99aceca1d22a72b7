// The page shown when no object is current: the template's look and nothing else.
#pragma once

#include "zoltStatusBase.h"

class CZOLTStatusNone : public CZOLTStatusBase<CZOLTStatusNone, 182> {
public:
   typedef CZOLTStatusBase<CZOLTStatusNone, 182> Base;

   BEGIN_MSG_MAP(CZOLTStatusNone)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()
};
