// The shell's folders (where the user's settings and music live, choosing a folder) and
// the data layouts that the platform's DLLs pass between them.
#pragma once

#include <windows.h>

#define CSIDL_MYMUSIC 0x000d
#define CSIDL_APPDATA 0x001a
#define CSIDL_FLAG_CREATE 0x8000
#define SHGFP_TYPE_CURRENT 0

#define BIF_RETURNONLYFSDIRS 0x00000001
#define BIF_NEWDIALOGSTYLE 0x00000040

#pragma pack(push, 1)
typedef struct _SHITEMID {
  USHORT cb;
  BYTE abID[1];
} SHITEMID;
typedef struct _ITEMIDLIST {
  SHITEMID mkid;
} ITEMIDLIST;
#pragma pack(pop)
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;

typedef int(CALLBACK* BFFCALLBACK)(HWND, UINT, LPARAM, LPARAM);

typedef struct _browseinfoA {
  HWND hwndOwner;
  PCIDLIST_ABSOLUTE pidlRoot;
  LPSTR pszDisplayName;
  LPCSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
} BROWSEINFOA, *LPBROWSEINFOA;

HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);
PIDLIST_ABSOLUTE SHBrowseForFolderA(LPBROWSEINFOA browseInfo);
BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE idList, LPSTR path);

// The memory block behind an HDROP: this header, then at pFiles the dropped names, each
// ending in a null character, the list ending in one more.
typedef struct _DROPFILES {
  DWORD pFiles;  // bytes from the start of the block to the first name
  POINT pt;      // where the files were dropped, in the window's client coordinates
  BOOL fNC;      // the drop was on the non-client area
  BOOL fWide;    // the names are UTF-16
} DROPFILES, *LPDROPFILES;
