// The command set of the main window: every command id with its label,
// accelerator, status-bar help and tool tip, the browser and viewer menus built
// from them, the two toolbars and their icons. Plain data, so the window, the
// context menus and the tests all read one table.
#pragma once

#include "view/MenuEntry.h"

#include <vector>

enum CommandId : int {
    // File
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 32772,
    ID_PREVIEW = 32773,
    ID_RELOAD = 32774,
    ID_SELECT_SOURCE = 354,
    ID_ACQUIRE = 355,
    ID_PRINT_SETUP = 32775,
    ID_PRINT_PREVIEW = 32779,
    ID_PRINT = 57607,
    ID_PRINT_ALL = 32777,
    ID_PRINT_THUMBNAILS = 32778,
    ID_VIEWER = 32771,
    ID_BROWSER = 32848,
    ID_EXIT = 57665,

    // Edit
    ID_UNDO = 57643,
    ID_DELETE = 32780,
    ID_RENAME = 32781,
    ID_RENAME_SERIES = 32838,
    ID_CUT = 57635,
    ID_COPY = 57634,
    ID_PASTE = 57637,
    ID_COPY_IMAGE = 32912,
    ID_PASTE_NEW_IMAGE = 32923,
    ID_SELECT_ALL = 32782,
    ID_UNSELECT_ALL = 32783,
    ID_INVERT_SELECTION = 32784,
    ID_SELECT_GROUP = 32785,
    ID_UNSELECT_GROUP = 32786,
    ID_COPY_TO = 32787,
    ID_MOVE_TO = 32788,
    ID_NEW_FOLDER = 32789,

    // View
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_MODE_LARGE_ICONS = 229,
    ID_MODE_SMALL_ICONS = 230,
    ID_MODE_LIST = 231,
    ID_MODE_DETAILS = 232,
    ID_SORT_NAME = 214,
    ID_SORT_EXTENSION = 216,
    ID_SORT_SIZE = 215,
    ID_SORT_DATE = 217,
    ID_SORT_TYPE = 218,
    ID_SORT_FORWARD = 212,
    ID_SORT_BACKWARD = 213,
    ID_COLUMN_NAME = 220,
    ID_COLUMN_EXTENSION = 221,
    ID_COLUMN_SIZE = 222,
    ID_COLUMN_DATE = 223,
    ID_COLUMN_ATTRIBUTES = 224,
    ID_COLUMN_TYPE = 225,
    ID_FULL_ROW = 227,
    ID_PLACE_UPPER_LEFT = 32776,
    ID_PLACE_UPPER_RIGHT = 32790,
    ID_PLACE_CENTRE = 32826,
    ID_PREVIEW_ZOOM_25 = 32800,
    ID_PREVIEW_ZOOM_50 = 32828,
    ID_PREVIEW_ZOOM_75 = 32829,
    ID_PREVIEW_ZOOM_100 = 32830,  // the same command as ID_ZOOM_100
    ID_PREVIEW_ZOOM_150 = 32839,
    ID_PREVIEW_ZOOM_200 = 32840,
    ID_PREVIEW_ZOOM_300 = 32928,
    ID_PREVIEW_ZOOM_500 = 32930,
    ID_PREVIEW_ZOOM_1000 = 32931,
    ID_PREVIEW_ZOOM_1600 = 32932,
    ID_AUTO_LOAD = 32925,
    ID_HIDE_NON_IMAGES = 32924,
    ID_SHOW_HIDDEN = 233,
    ID_REFRESH = 32792,
    ID_AUTO_REFRESH = 32827,
    // View > Image (viewer)
    ID_NEXT = 32852,
    ID_PREVIOUS = 32853,
    ID_FIRST = 32854,
    ID_LAST = 32855,

    // Go
    ID_BACK = 32795,
    ID_UP = 32796,
    ID_HOME = 32797,

    // Favorites
    ID_ADD_FAVORITE = 32793,
    ID_ORGANIZE_FAVORITES = 32794,

    // Zoom (viewer)
    ID_ZOOM_MORE = 32861,
    ID_ZOOM_LESS = 32862,
    ID_ZOOM_25 = 32863,
    ID_ZOOM_50 = 32864,
    ID_ZOOM_75 = 32865,
    ID_ZOOM_100 = 32830,
    ID_ZOOM_150 = 32867,
    ID_ZOOM_200 = 32933,
    ID_ZOOM_300 = 32869,
    ID_ZOOM_500 = 32874,
    ID_ZOOM_1000 = 32876,
    ID_ZOOM_1600 = 32929,
    ID_BEST_FIT = 32872,
    ID_ACTUAL_SIZE = 32873,

    // Image
    ID_RESIZE = 32798,
    ID_CANVAS_SIZE = 32799,
    ID_BORDERS_CROP = 32922,
    ID_SHEAR = 32834,
    ID_ROTATE_CW = 32821,
    ID_ROTATE_CCW = 32822,
    ID_ROTATE_180 = 32823,
    ID_ROTATE_ARBITRARY = 32833,
    ID_FLIP_HORIZONTAL = 32801,
    ID_FLIP_VERTICAL = 32802,
    ID_FLIP_BOTH = 32921,
    ID_TRANSPOSE = 32832,

    // Colors
    ID_BRIGHTNESS = 32804,
    ID_CONTRAST = 32805,
    ID_GAMMA = 32831,
    ID_BALANCE = 32807,
    ID_INVERT_COLORS = 32803,
    ID_GRAY_SHADES = 32806,
    ID_SWAP_RED_BLUE = 32835,
    ID_THRESHOLD = 32926,
    ID_INTENSITY = 32927,
    ID_SOLARIZE = 350,
    ID_COUNT_COLORS = 32808,
    ID_HISTOGRAM = 32809,

    // Filter
    ID_FILTER_BLUR = 334,
    ID_FILTER_SOFTEN = 336,
    ID_FILTER_GAUSSIAN_3X3 = 337,
    ID_FILTER_GAUSSIAN_5X5 = 338,
    ID_FILTER_SHARPEN = 339,
    ID_FILTER_DILATE = 341,
    ID_FILTER_ERODE = 342,
    ID_FILTER_FIND_EDGE = 343,
    ID_FILTER_CONTOUR = 344,
    ID_FILTER_ADD_NOISE = 346,
    ID_FILTER_MEDIAN = 347,
    ID_FILTER_EMBOSS = 348,
    ID_FILTER_JITTER = 349,
    ID_FILTER_NORMAL_MAP = 32934,

    // Tools
    ID_SLIDE_SHOW = 32810,
    ID_SLIDE_RUN = 32850,
    ID_SLIDE_STOP = 32851,
    ID_FIND = 32811,
    ID_COMPARE = 32812,
    ID_CONVERT = 32813,
    ID_WALLPAPER = 32844,
    ID_ASSOCIATIONS = 32819,
    ID_OPTIONS = 32818,

    // Help
    ID_HELP_CONTENTS = 57670,
    ID_HELP_USING = 57668,
    ID_ABOUT = 57664,
};

// Accelerator notation: the portable text of a Qt key sequence, exactly what
// QKeySequence::fromString(text, QKeySequence::PortableText) reads and what
// toString(QKeySequence::PortableText) writes back. Modifiers "Ctrl+", "Shift+",
// "Alt+", and "Num+" for a key of the numeric keypad ("Num+1", "Num++",
// "Num+-"); keys such as "O", "F8", "Return", "Backspace", "/", "Home", "End",
// "PgUp", "PgDown". "" when the command has none.
struct CommandInfo {
    int Id;
    const char* Label;        // menu label with its "&" mnemonic
    const char* Accelerator;  // see above
    const char* HelpText;     // status-bar help, one sentence
    const char* ToolTip;      // short, for toolbar buttons
};

// Any command of either menu; nullptr for an unknown id.
const CommandInfo* FindCommand(int id);
// Every command once, the one shared by both menus (100%) included once.
const std::vector<CommandInfo>& AllCommands();

// Top-level menus in menu-bar order, each a Submenu entry.
const std::vector<MenuEntry>& BrowserMenu();
const std::vector<MenuEntry>& ViewerMenu();
// The command ids of a menu tree, depth first, in menu order.
std::vector<int> MenuCommands(const std::vector<MenuEntry>& menu);
// The image view's right-click menu (its own shorter texts).
const std::vector<MenuEntry>& PreviewContextMenu();

// Toolbar buttons in order; 0 stands for a separator.
const std::vector<int>& BrowserToolbar();
const std::vector<int>& ViewerToolbar();

// Resource path of the command's icon (":/icons/<name>.svg"), or nullptr.
// The icons live in icons.qrc, which a static build has to register once with
// Q_INIT_RESOURCE(icons).
const char* IconName(int id);

// Magnification of a zoom command (the viewer's Zoom To items, the preview's
// percentages and Actual Size); 0 for every other command.
double ZoomFactor(int id);
