// The clone wizard: a Wizard97 property sheet of five pages (welcome, source, type, name and
// location, progress) that collects what to clone and how, then has the model library make the
// clone and shows its progress. It runs its own sheet; each page is a plain dialog procedure
// that asks the wizard which page comes next (CloneWzPages.h). The Zephro wizards derive from it.
#pragma once

#include <windows.h>
#include <comdef.h>

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "atl/Gdi.h"
#include "cui/Error.h"

namespace cui {
class Host;
class SnapshotTree;
class VM;
}  // namespace cui

class CCloneWz {
public:
   CCloneWz(cui::VM *vm, cui::SnapshotTree *tree, int snapshotUid);
   virtual ~CCloneWz();

   // Runs the sheet over `parent`; true when a clone was made.
   virtual bool Run(HWND parent);
   // name := name; path := the folder, the name and ".vmx" (the folder with or without its
   // separator).
   virtual void SetNameAndPath(const std::string &name, const std::string &folder);
   // Has the machine's clone operation make the clone chosen.
   virtual void StartClone(const cui::AbortSlot &failed, const cui::DoneSlot &done, const cui::DoneSlot &snapshotStep);
   // The page order by template id: 504 welcome, 4124 source, 505 type, 506 name, 507 progress.
   virtual int GetPrevPage(int page);
   virtual int GetNextPage(int page);
   virtual DWORD GetWizardButtons(int page);
   // Characters kept free in the location beyond the clone's own files.
   virtual int GetExtraPathReserve() { return 10; }

   // The new machine's configuration path once Run returned true; empty otherwise.
   _bstr_t GetClonePath() const;

   cui::VM *GetVM() const { return vm_; }
   cui::SnapshotTree *GetSnapshotTree() const { return tree_; }
   // Replaces the source machine (the clone-to-master wizard); raises machineChanged.
   void SetVM(cui::VM *vm);
   int GetSnapshotUid() const { return snapshotUid_; }
   void SetSnapshotUid(int uid) { snapshotUid_ = uid; }
   bool IsSourceSnapshot() const { return snapshotUid_ > 0; }
   bool IsSourceClone() const { return sourceIsClone_; }
   bool GetLinked() const { return linked_; }
   void SetLinked(bool linked) { linked_ = linked; }
   bool GetCancelled() const { return cancelled_; }
   void SetCancelled(bool cancelled) { cancelled_ = cancelled; }
   bool GetCompleted() const { return completed_; }
   void SetCompleted(bool completed) { completed_ = completed; }
   bool GetPathEdited() const { return pathEdited_; }
   std::string GetName() const { return name_; }
   std::string GetPath() const { return path_; }
   // name := `name`.
   void SetName(const std::string &name) { name_ = name; }
   // path := `path`; `edited` marks it as the user's own; the path-changed signal is raised.
   void SetPath(const std::string &path, bool edited);
   // Back on the name page: the location follows the name again.
   void ClearPathEdited() { pathEdited_ = false; }

   // Whether the source chosen can be cloned as `type` (cui::VM::CloneType); `error` gets the
   // model library's code when not. False without a machine.
   bool IsCloneable(int type, int *error = nullptr) const;
   int GetLongestDiskNameLength();
   // The name proposed for the clone and the folder its location is proposed in.
   std::string GetDefaultName() const;
   std::string GetDefaultFolder() const;
   // The source machine's host: the one it was opened on, else the library's local host (the
   // client's or the current one), else one the wizard follows itself on the local host's node.
   cui::Host *GetHost();
   // The host's operating system (cui::Host::GetOSType); Windows without a host.
   int GetOSType();

   // The name page's check has passed for exactly this name and location; any edit clears it.
   void SetValidated(const std::string &name, const std::string &location);
   void ClearValidated();
   bool IsValidated(const std::string &name, const std::string &location) const;
   bool HasValidated() const { return validated_; }
   // The first page before the progress page whose choice does not hold now (a source or a kind
   // that cannot be cloned, a name and location not checked), or the progress page: where a
   // Finish pressed early has to go.
   int FirstPageToFinish() const;

   HFONT GetTitleFont() const { return titleFont_; }
   // Takes `font`; the one held before is deleted.
   void SetTitleFont(HFONT font);
   // Connections of the pages to the signals below, dropped when the sheet ends.
   void KeepPageConnection(const sigc::connection &connection) { pageConnections_.push_back(connection); }

   sigc::signal<void, std::string> pathChanged;
   sigc::signal<void> machineChanged;

   // Template ids of the pages.
   static constexpr int kWelcomePage = 504;
   static constexpr int kSourcePage = 4124;
   static constexpr int kTypePage = 505;
   static constexpr int kNamePage = 506;
   static constexpr int kProgressPage = 507;

   CCloneWz(const CCloneWz &) = delete;
   CCloneWz &operator=(const CCloneWz &) = delete;

private:
   bool sourceIsClone_ = false;
   bool cancelled_ = false;
   bool linked_ = true;
   bool completed_ = false;
   bool pathEdited_ = false;
   cui::VM *vm_;
   cui::SnapshotTree *tree_;
   int snapshotUid_;
   std::string name_;
   std::string path_;
   int longestDiskName_ = -1;
   atl::ScopedFont titleFont_;
   // One mark per wizard: the name and location the writability check passed.
   bool validated_ = false;
   std::string validatedName_;
   std::string validatedLocation_;
   std::vector<sigc::connection> pageConnections_;
   std::unique_ptr<cui::Host> ownHost_;
};
