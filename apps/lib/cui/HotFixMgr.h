// Hot-fix request files the user interface has open.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

struct IUnknown;

namespace cui {

class HotFixRequest {
public:
   HotFixRequest(std::string hotFixPath, std::string filePath);
   virtual ~HotFixRequest();

   const std::string &GetHotFixPath() const { return hotFixPath_; }       // database node
   const std::string &GetHotFixFilePath() const { return filePath_; }     // the request file

private:
   std::string hotFixPath_;
   std::string filePath_;
};

class HotFixMgr : public sigc::trackable {
public:
   // `client` is the "VMClient" COM object; a reference is kept for the manager's life.
   explicit HotFixMgr(IUnknown *client);
   // Unregisters itself when it is the registered hot-fix manager.
   virtual ~HotFixMgr();

   IUnknown *GetClient() const { return client_; }
   std::vector<HotFixRequest *> GetHotFixRequests() const;
   // By database path; null when none.
   HotFixRequest *GetRequestByHotFixPath(const std::string &hotFixPath) const;

   HotFixMgr(const HotFixMgr &) = delete;
   HotFixMgr &operator=(const HotFixMgr &) = delete;

protected:
   void AddRequest(std::unique_ptr<HotFixRequest> request);

private:
   IUnknown *client_;
   std::vector<std::unique_ptr<HotFixRequest>> requests_;
};

}  // namespace cui
