// A command the model library sends to a host's or a machine's queue without blocking: the
// element is appended and its "op" and inputs written in one batch; the answer ("status") is
// read from a poll step, with the outputs asked for, and the element is removed.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/VmdbCtx.h"

namespace cuiutil {

class ModelCmd {
public:
   typedef std::map<std::string, std::string> Outputs;
   // (error text, empty on success; the outputs by key). A slot bound to a trackable object is
   // dropped with it.
   typedef sigc::slot<void, std::string, Outputs> AnswerSlot;

   // `queue` is "/vm/#0001/cmd/##/" or "/host2/#0000/util/vm/cmd/##/". Throws cui::Error when the
   // command cannot be written.
   static void Send(const vmdb::Ctx &ctx, const std::string &queue, const std::string &op,
                    const std::vector<std::pair<std::string, std::string>> &inputs,
                    const std::vector<std::string> &outputs, const AnswerSlot &answer);

   // Commands sent and not answered yet.
   static size_t GetPendingCount();
};

}  // namespace cuiutil
