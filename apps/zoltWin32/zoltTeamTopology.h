// The team page's topology: a checked list with one row per member of the team, in start-up
// order, and one column per LAN of the team, whose check marks say which LAN a machine's adapters
// are on. A member whose file is missing has a row too, without check marks.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "tremappsdk/CheckedListCtl.h"

#include <cstdint>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {
class Team;
class VM;
namespace vmdevice {
class NIC;
}
}  // namespace cui

namespace teamtopology {

// The row images, by position in the image list.
extern const UINT kRowIcons[9];
constexpr int kRowIconCount = 9;

// The image of a machine's row: legacy before clone, then normal; on, suspended, or off for any
// other power state.
int RowImage(bool legacy, bool clone, int powerState);
// The row order for the members' start-up order values: ascending, equal values in their order.
std::vector<size_t> StartupOrder(const std::vector<int> &orders);
// For each LAN id, whether one of the adapters is on that private network.
std::vector<bool> LanChecks(const std::vector<cui::vmdevice::NIC> &nics, const std::vector<std::string> &lanIds);
// The widths of `count` columns: the saved widths where there are any, else 26 average
// characters for the machine and guest columns and 10 for a LAN column.
std::vector<int32_t> ColumnWidths(const std::vector<int32_t> &saved, size_t count, int averageCharWidth);
// The file name of a path, after its last slash or backslash.
std::string BaseName(const std::string &path);

// One row of the view: a machine (its index in cui::Team::GetVMs) or a member whose file is
// not open (its index in cui::Team::GetMembers).
struct Row {
   int vmIndex = -1;
   int memberIndex = -1;
};
// The rows of a team in start-up order.
std::vector<Row> RowsOf(const cui::Team &team);
// The item data a row carries, and back: a machine's index, or -1 less the member's index.
LONG_PTR ItemDataOf(const Row &row);
Row RowOfItemData(LONG_PTR data);

}  // namespace teamtopology

class CZOLTTeamTopology {
public:
   enum { kControlId = 4119 };

   CZOLTTeamTopology() = default;
   ~CZOLTTeamTopology();

   // Creates the control in `parent` at `rect`; without `images` the row images come from the
   // resource module. False (reported as a failed creation) when the control cannot be made.
   bool Create(HWND parent, UINT id, HIMAGELIST images, const RECT &rect);
   // Shows `team` (null: none); the view follows it until another is set.
   void SetTeam(cui::Team *team);
   cui::Team *GetTeam() const { return team_; }
   // Rebuilds columns and rows from the team.
   void Load();
   // Refills the rows (names, guests, power images and check marks follow the machines).
   void LoadRows();
   // Titles the LAN columns again.
   void LoadNetColumns();

   // The machine path of the selected row, of row `row`; empty for none or a missing member.
   std::string GetSelectedVMPath() const;
   std::string GetVMPathAt(int row) const;
   // Selects the row of the machine at `vmPath` (none for an empty or unknown path).
   void SelectVM(const std::string &vmPath);
   // The info tip of a row: the machine's name and file on two lines; empty for no row.
   std::string GetTipText(int row) const;

   HWND GetWindow() const;
   ICheckedListCtl *GetControl() const { return list_; }
   const std::vector<int32_t> &GetSavedWidths() const { return widths_; }

   CZOLTTeamTopology(const CZOLTTeamTopology &) = delete;
   CZOLTTeamTopology &operator=(const CZOLTTeamTopology &) = delete;

private:
   void DoLoad();
   void FillRows();
   // Fills row `index`, an existing one when `replace`, else a new one inserted there.
   void LoadVMRow(const teamtopology::Row &row, long index, bool replace);
   long PlaceRow(long index, bool replace, const std::string &text, int image, const teamtopology::Row &row);
   void OnTeamReload();
   void OnCurrentVMChange();
   void OnTeamGoingAway();
   void DisconnectTeam();
   void DisconnectItems();
   void SelectCurrentVM();

   ICheckedListCtlPtr list_;
   cui::Team *team_ = nullptr;
   cui::VM *currentVM_ = nullptr;
   // Set while the view may reload; a reload the team raises while one is under way is not
   // run again inside it.
   bool reload_ = true;
   sigc::connection teamConnections_[4];
   HWND parent_ = nullptr;
   UINT id_ = 0;
   std::vector<int32_t> widths_;
   std::vector<sigc::connection> itemConnections_;
   HIMAGELIST images_ = nullptr;   // built here when none was given
   size_t lanColumns_ = 0;
   std::vector<std::string> columnTitles_;   // as the last load made them
};
