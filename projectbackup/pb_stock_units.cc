#include "projectbackup/pb_main.h"

namespace zk::pb {

// The units that come with the IDE and so are never worth backing up. DIROUTLN stands twice, as
// it always has; the excluded-units list shows both entries.
const std::vector<std::string>& StockUnitTable() {
  static const std::vector<std::string> table = {
      "WINDOWS",  "MESSAGES", "SYSUTILS", "CLASSES",  "GRAPHICS", "CONTROLS", "FORMS",
      "DIALOGS",  "STDCTRLS", "COMMDLG",  "BUTTONS",  "PRINTERS", "GAUGES",   "LZEXPAND",
      "MENUS",    "DATABKR",  "MXDCUBE",  "MXPBAR",   "MXDSQL",   "IBCONST",  "MIDASCON",
      "DBCGRIDS", "GRIDS",    "DBGRIDS",  "ISP3",     "TEEPROCS", "TEECONST", "TEENGINE",
      "TEEFUNCI", "CHART",    "SERIES",   "TEESHAPE", "MATH",     "ISAPI",    "ISAPI2",
      "NSAPI",    "HTTPAPP",  "SYNCOBJS", "COMOBJ",   "DBCLIENT", "BDEPROV",  "CGIAPP",
      "WEBCONST", "CHECKLST", "EXTDLGS",  "MMSYSTEM", "JPEG",     "EXPTINTF", "TOOLINTF",
      "EDITINTF", "FILEINTF", "INIFILES", "REGISTRY", "MAPI",     "TLHELP32", "WININET",
      "COMCTRLS", "WINSPOOL", "OLECTRLS", "WINSOCK",  "BDE",      "OLECONST", "SHAREMEM",
      "COMSERV",  "BDECONST", "QUICKRPT", "CALENDAR", "TABNOTBK", "SPIN",     "DIROUTLN",
      "DBLOOKUP", "DBTABLES", "EXTCTRLS", "COMMCTRL", "PICEDIT",  "SHELLAPI", "MPLAYER",
      "TABS",     "CLIPBRD",  "DDEMAN",   "OUTLINE",  "DBCONSTS", "FILECTRL", "DB",
      "DBCTRLS",  "MASK",     "SHLOBJ",   "COLORGRD", "DIROUTLN", "IBCTRLS",  "IBEVNTS",
      "IBPROC32", "WINPROCS", "WINTYPES", "IMGLIST",  "RICHEDIT", "ACTNLIST", "STDACTNS",
      "DBACTNS",  "TOOLWIN",
  };
  return table;
}

}  // namespace zk::pb
