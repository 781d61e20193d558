// Command dispatch; see commands.h.
#include "viewer/app/commands.h"

#include <string>

#include "viewer/app/busy_scope.h"
#include "viewer/app/navigation.h"
#include "viewer/app/open_picture.h"
#include "viewer/app/read_ahead.h"
#include "viewer/app/window_icons.h"
#include "viewer/app/window_mode.h"
#include "viewer/core/command_ids.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/display/animation.h"
#include "viewer/display/geometry.h"
#include "viewer/display/view_geometry.h"
#include "viewer/display/view_scroll.h"
#include "viewer/filelist/file_list.h"
#include "viewer/filelist/sort_order.h"
#include "viewer/fileops/file_operations.h"
#include "viewer/fileops/information.h"
#include "viewer/fileops/print_clipboard.h"
#include "viewer/fileops/save_bitmap.h"
#include "viewer/input/menus.h"

namespace {

void SetSlideShowCheck(ViewerState& state, bool checked) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    item.fState = checked ? MFS_CHECKED : 0;
    if (state.menuBar) SetMenuItemInfoW(state.menuBar, IDM_SLIDE_SHOW, FALSE, &item);
    if (state.popupMenu) SetMenuItemInfoW(state.popupMenu, IDM_SLIDE_SHOW, FALSE, &item);
}

void ToggleSlideShow(ViewerState& state) {
    if (state.lastListIndex < 1) return;
    state.settings.slideShowOn = !state.settings.slideShowOn;
    if (state.settings.slideShowOn) {
        SetTimer(state.window, kSlideShowTimer, static_cast<UINT>(state.settings.SlideShowInterval) * 1000, nullptr);
        SetTimer(state.window, kKeepAwakeTimer, 59000, nullptr);
        SetWindowIcons(state.window, L"OxelICON_SM_SS", L"OxelICON_SS");
        SetSlideShowCheck(state, true);
    } else {
        EndSlideShowDisplay(state);
        SetThreadExecutionState(ES_CONTINUOUS);
    }
}

// Re-sorting keeps the shown file on screen at its new place.
void Resort(ViewerState& state) {
    std::wstring shown;
    if (state.lastListIndex >= 0) shown = state.fileList.paths[state.currentIndex];
    SortFileList(state.fileList, state.settings);
    if (state.lastListIndex >= 0) state.currentIndex = FindInList(state.fileList, shown.c_str());
    UpdateMenus(state);
    state.settings.slideShowOn = 0;
}

// The folder that move, copy and save offer: the current file's, unless
// "MemorizeFolder" keeps the one last used (until another file is opened by
// drop, dialog or hand-over).
void PrepareDestinationFolder(ViewerState& state) {
    if (state.destinationFolder[0] && state.settings.MemorizeFolder) return;
    wchar_t folder[MAX_PATH];
    FolderOf(state.fileList.paths[state.currentIndex].c_str(), folder);
    lstrcpynW(state.destinationFolder, folder, sizeof state.destinationFolder / sizeof state.destinationFolder[0]);
}

// After delete and move, whatever they did: the entry at `currentIndex` is
// loaded afresh (a running animation stops, its buffer and canvas go), or
// none is shown when the list is empty.
void ReloadAfterRemoval(ViewerState& state) {
    LoadEntry(state, state.currentIndex);
    if (state.lastListIndex == -1) {
        state.picture.width = 1;
        state.picture.height = 1;
    }
    state.viewResetPending = 1;
    UpdateMenus(state);
}

// A picture saved into the folder being browsed: listed at once with
// "RereadFileList" (unless it replaced a listed file), else the list is out
// of date, and the folder check of an activation runs now. True when the
// window should show the crossed-out icons.
bool TakeSavedFile(ViewerState& state, const wchar_t* path) {
    FileList& list = state.fileList;
    if (state.settings.RereadFileList) {
        const std::wstring shown = list.paths[state.currentIndex];
        bool listed = false;
        for (const std::wstring& entry : list.paths) listed = listed || lstrcmpiW(entry.c_str(), path) == 0;
        if (!listed) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (list.facts.size() == list.paths.size() &&
                GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
                list.facts.push_back(
                    {data.nFileSizeLow, FileTimeValue(data.ftCreationTime), FileTimeValue(data.ftLastWriteTime)});
            } else {
                list.facts.clear();  // the sort reads the files' facts by name
            }
            list.paths.push_back(path);
        }
        SortFileList(list, state.settings);
        state.currentIndex = FindInList(list, shown.c_str());
        state.lastListIndex = static_cast<int32_t>(list.paths.size()) - 1;
        return false;
    }
    // The first parameter is no activation state: the check runs without
    // touching the click arming.
    SendMessageW(state.window, WM_ACTIVATE, static_cast<WPARAM>(-1), 0);
    return !state.closing && !state.settings.AssociatedIcon;
}

void ToggleViewFlag(ViewerState& state, int32_t& flag) {
    flag = !flag;
    state.viewResetPending = 1;
    UpdateMenus(state);
}

// Runs one command's action; true when it asks for a new display bitmap.
// `crossIcons`: the action left the window with the crossed-out icons (an
// emptied list, a list out of date), which outlast the common handling.
bool RunAction(ViewerState& state, WORD command, LPARAM lParam, bool& crossIcons) {
    if (ScrollByCommand(state.window, command, state.settings, state.vScroll, state.hScroll)) return false;
    const bool hasList = state.lastListIndex != -1;
    const bool hasPicture = state.picture.bitmap != nullptr;
    switch (command) {
    case IDM_NEXT:
    case IDM_PREV:
        return StepFile(state, command == IDM_NEXT ? 1 : -1);
    case IDM_SHOW_PASSED:
        return ShowPassedEntry(state);
    case IDM_ARC_NEXT:
    case IDM_ARC_PREV:
        return StepSubImage(state, command == IDM_ARC_NEXT ? 1 : -1, lParam);
    case IDM_GIF_ANIME:
        ToggleAnimation(state);
        UpdateMenus(state);
        break;
    case IDM_COPY_IMAGE:
        if (hasPicture) CopyPictureToClipboard(state);
        break;
    case IDM_PRINT:
        if (!hasPicture) break;
        state.settings.slideShowOn = 0;
        PrintPicture(state);
        break;
    case IDM_DELETE:
    case IDM_MOVE: {
        if (!hasList) break;
        state.settings.slideShowOn = 0;
        ListChange change;
        if (command == IDM_DELETE) {
            change = DeleteCurrentFile(state);
        } else {
            PrepareDestinationFolder(state);
            change = MoveCurrentFile(state);
        }
        if (state.closing) break;
        crossIcons = change == ListChange::kEmptied;
        ReloadAfterRemoval(state);
        return true;
    }
    case IDM_COPY:
        if (!hasList) break;
        state.settings.slideShowOn = 0;
        PrepareDestinationFolder(state);
        CopyCurrentFile(state);
        break;
    case IDM_SAVE_IMAGE: {
        if (!hasPicture || !hasList) break;
        state.settings.slideShowOn = 0;
        PrepareDestinationFolder(state);
        const SaveResult saved = SavePictureAsBitmap(state);
        if (state.closing) break;
        if (saved.outcome == SaveOutcome::kSavedIntoShownFolder) crossIcons = TakeSavedFile(state, saved.path);
        if (state.closing) break;
        UpdateMenus(state);
        break;
    }
    case IDM_FIT_OUT:
        ToggleViewFlag(state, state.settings.FitOut);
        break;
    case IDM_FIT_IN:
        ToggleViewFlag(state, state.settings.FitIn);
        break;
    case IDM_FIT_WIDTH:
        ToggleViewFlag(state, state.settings.FitWidth);
        break;
    case IDM_LINER:
        state.settings.Liner = !state.settings.Liner;
        UpdateMenus(state);
        break;
    case IDM_ZOOM_DOWN:
    case IDM_ZOOM_UP:
        ZoomByCommand(state.window, command == IDM_ZOOM_UP, state.settings, state.vScroll, state.hScroll);
        UpdateMenus(state);
        break;
    case IDM_ZOOM_RESET:
        state.settings.zoomPercent = 100;
        state.viewResetPending = 1;
        UpdateMenus(state);
        break;
    case IDM_ROTATE_L:
    case IDM_ROTATE_R:
        state.settings.rotation =
            command == IDM_ROTATE_R ? RotateRight(state.settings.rotation) : RotateLeft(state.settings.rotation);
        state.viewResetPending = 1;
        UpdateMenus(state);
        return true;
    case IDM_EXIT:
        StopAnimation(state);
        SendMessageW(state.window, WM_CLOSE, 0, 0);
        break;
    case IDM_WINDOW:
        if (state.settings.WindowMode) RecordWindowRect(state.window, state.settings);
        state.settings.WindowMode = !state.settings.WindowMode;
        ApplyWindowMode(state.window, state.menuBar, state.settings);
        state.viewResetPending = 1;
        UpdateMenus(state);
        break;
    case IDM_TOP_MOST:
        state.settings.AlwaysOnTop = !state.settings.AlwaysOnTop;
        ApplyWindowMode(state.window, state.menuBar, state.settings);
        UpdateMenus(state);
        break;
    case IDM_SORT_NAME:
    case IDM_SORT_EXT:
    case IDM_SORT_TYPE:
    case IDM_SORT_SIZE:
    case IDM_SORT_CREATE:
    case IDM_SORT_WRITE:
        state.settings.SortMethod = (command - IDM_SORT_NAME) / 10 + 1;
        Resort(state);
        break;
    case IDM_SORT_REV:
        state.settings.SortDescending = !state.settings.SortDescending;
        Resort(state);
        break;
    default:
        break;
    }
    return false;
}

void RefreshTooltip(ViewerState& state) {
    SendMessageW(state.tooltip, TTM_ACTIVATE, FALSE, 0);
    if (state.lastListIndex < 0) return;
    const wchar_t* path = state.fileList.paths[state.currentIndex].c_str();
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return;
    wchar_t text[kInformationChars];
    PictureInformation(state.settings, state.picture.bitmap ? &state.picture : nullptr, path, text);
    SetTooltipText(state, text);
    SendMessageW(state.tooltip, TTM_ACTIVATE, TRUE, 0);
}

}  // namespace

void EndSlideShowDisplay(ViewerState& state) {
    KillTimer(state.window, kSlideShowTimer);
    KillTimer(state.window, kKeepAwakeTimer);
    SetSlideShowCheck(state, false);
    SetWindowIcons(state.window, L"OxelICON_SM", L"OxelICON");
}

void DispatchCommand(ViewerState& state, WPARAM wParam, LPARAM lParam) {
    if (state.dragging) {
        // Commands are lost during a drag, but the animation's tick must come
        // again: nothing else would re-arm its timer.
        if (LOWORD(wParam) == IDM_ARC_NEXT && lParam == 1) PostponeTick(state);
        return;
    }
    const WORD command = LOWORD(wParam);
    if (command == IDM_SLIDE_SHOW) {
        ToggleSlideShow(state);
        return;
    }
    if (command == IDM_OPEN) {
        state.settings.slideShowOn = 0;
        EndSlideShowDisplay(state);
        SendMessageW(state.window, WM_APP, 0, 0);
        return;
    }

    // A tick that a running command's box dispatches would change the picture
    // under that command: the next frame comes when the command has ended.
    if (IsBusy(state) && command == IDM_ARC_NEXT && lParam == 1) {
        DeferTick(state);
        return;
    }
    BusyScope busy(state);
    // A delete, a move or a sort jumps: what was read ahead for the old
    // neighbours is not wanted any more.
    const bool jump =
        command == IDM_DELETE || command == IDM_MOVE || (command >= IDM_SORT_NAME && command <= IDM_SORT_REV);
    if (jump) CancelPendingReadAhead(state);

    state.viewResetPending = 0;
    GetScrollInfo(state.window, SB_VERT, &state.vScroll);
    GetScrollInfo(state.window, SB_HORZ, &state.hScroll);
    bool crossIcons = false;
    const bool newDisplayBitmap = RunAction(state, command, lParam, crossIcons);
    // EXIT, or a dialog of the action in which the window was closed, has
    // released what the window owned.
    if (state.closing) return;
    SetScrollInfo(state.window, SB_VERT, &state.vScroll, FALSE);
    SetScrollInfo(state.window, SB_HORZ, &state.hScroll, FALSE);

    if (!state.settings.slideShowOn) EndSlideShowDisplay(state);
    if (crossIcons) SetStateIcons(state.window, 0);
    if (newDisplayBitmap) RebuildDisplayBitmap(state);
    if (state.tooltip && state.settings.ShowToolTip != 0 && wParam != IDM_ARC_NEXT) RefreshTooltip(state);
    InvalidateRect(state.window, nullptr, FALSE);
    UpdateWindow(state.window);
    state.clickArmed = 1;
    if (state.closing) return;
    if (newDisplayBitmap && (command == IDM_NEXT || command == IDM_PREV)) {
        ScheduleReadAhead(state, command == IDM_NEXT ? 1 : -1);
    } else if (newDisplayBitmap && command == IDM_SHOW_PASSED) {
        ScheduleReadAhead(state, 0);
    } else if (newDisplayBitmap && (command == IDM_ARC_NEXT || command == IDM_ARC_PREV) && !state.animated) {
        ScheduleMemberReadAhead(state, command == IDM_ARC_NEXT ? 1 : -1);
    } else if (jump) {
        ScheduleReadAhead(state, 0);
    }
}
