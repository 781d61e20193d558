// Command identifiers shared by the menus, the accelerators, the mouse and the
// timers (WM_COMMAND). Plain macros, because the resource compiler reads them too.
#pragma once

#define IDM_OPEN 100
#define IDM_NEXT 110
#define IDM_PREV 120
#define IDM_ARC_NEXT 130
#define IDM_ARC_PREV 140
#define IDM_GIF_ANIME 150
#define IDM_SLIDE_SHOW 155
#define IDM_EXIT 160
#define IDM_WINDOW 200
#define IDM_FIT_OUT 210
#define IDM_FIT_IN 220
#define IDM_ZOOM_DOWN 230
#define IDM_ZOOM_UP 240
#define IDM_ZOOM_RESET 250
#define IDM_ROTATE_L 260
#define IDM_ROTATE_R 270
#define IDM_COPY_IMAGE 280
#define IDM_PRINT 290
#define IDM_TOP_MOST 300
#define IDM_DELETE 310
#define IDM_MOVE 320
#define IDM_COPY 330
#define IDM_FIT_WIDTH 340
#define IDM_SAVE_IMAGE 350
#define IDM_LINER 360
#define IDM_INFO 400
#define IDM_SCROLL_DOWN 510
#define IDM_SCROLL_UP 520
#define IDM_PAGE_DOWN 530
#define IDM_PAGE_UP 540
#define IDM_SCROLL_BOTTOM 550
#define IDM_SCROLL_TOP 560
#define IDM_SCROLL_RIGHT 570
#define IDM_SCROLL_LEFT 580
#define IDM_PAGE_RIGHT 590
#define IDM_PAGE_LEFT 600
#define IDM_SCROLL_RIGHTMOST 610
#define IDM_SCROLL_LEFTMOST 620
#define IDM_SORT_NAME 710
#define IDM_SORT_EXT 720
#define IDM_SORT_TYPE 730
#define IDM_SORT_SIZE 740
#define IDM_SORT_CREATE 750
#define IDM_SORT_WRITE 760
#define IDM_SORT_REV 770
// Internal, on no menu and no key: shows the entry that fast steps passed over.
#define IDM_SHOW_PASSED 900
