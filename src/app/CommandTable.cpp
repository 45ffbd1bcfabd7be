#include "app/CommandTable.h"

#include <initializer_list>
#include <unordered_map>

namespace {

const std::vector<CommandInfo>& Table()
{
    static const std::vector<CommandInfo> table = {
        // File
        {ID_FILE_OPEN, "&Open...", "Ctrl+O", "Opens an existing image.", "Open"},
        {ID_FILE_SAVE, "Save", "Ctrl+S", "Saves the image.", "Save"},
        {ID_FILE_SAVE_AS, "&Save As...", "", "Saves the image under a new name or in another format.", "Save As"},
        {ID_PREVIEW, "Prev&iew", "Shift+P", "Shows the selected image in the preview pane.", "Preview"},
        {ID_RELOAD, "&Reload", "Ctrl+R", "Reloads the image from its file.", "Reload"},
        {ID_SELECT_SOURCE, "Select Source...", "", "Selects the scanner or camera to acquire images from.", "Select source"},
        {ID_ACQUIRE, "Acquire...", "", "Acquires an image from the scanner or camera.", "Acquire"},
        {ID_PRINT_SETUP, "Print Set&up...", "", "Changes the page layout, captions and print size.", "Print setup"},
        {ID_PRINT_PREVIEW, "Print Previe&w...", "", "Shows how the image will look when printed.", "Print preview"},
        {ID_PRINT, "&Print...", "Ctrl+P", "Prints the image.", "Print"},
        {ID_PRINT_ALL, "Print &All...", "", "Prints every selected image, one per page.", "Print all"},
        {ID_PRINT_THUMBNAILS, "Print &Thumbnails...", "", "Prints a thumbnail index page of the folder's images.", "Print thumbnails"},
        {ID_VIEWER, "&Viewer...", "Ctrl+Return", "Switches to the viewer.", "Viewer"},
        {ID_BROWSER, "&Browser...", "Ctrl+Return", "Switches to the browser.", "Browser"},
        {ID_EXIT, "E&xit", "", "Quits the program.", "Exit"},

        // Edit
        {ID_UNDO, "&Undo", "Ctrl+Z", "Undoes the last change to the image.", "Undo"},
        {ID_DELETE, "&Delete", "F8", "Deletes the selected files and folders.", "Delete"},
        {ID_RENAME, "&Rename", "F6", "Renames the selected file or folder.", "Rename"},
        {ID_RENAME_SERIES, "Rename Se&ries...", "Ctrl+F6", "Renames the selected files as a numbered series.", "Rename series"},
        {ID_CUT, "Cu&t", "Ctrl+X", "Marks the selected files to be moved by Paste.", "Cut"},
        {ID_COPY, "&Copy", "F5", "Marks the selected files to be copied by Paste.", "Copy"},
        {ID_PASTE, "&Paste", "Ctrl+V", "Copies or moves the marked files into this folder.", "Paste"},
        {ID_COPY_IMAGE, "Copy &image", "", "Copies the image to the clipboard.", "Copy image"},
        {ID_PASTE_NEW_IMAGE, "Paste as a New Image", "", "Shows the clipboard's image as a new image.", "Paste as new image"},
        {ID_SELECT_ALL, "&Select All", "Ctrl+A", "Selects all items.", "Select all"},
        {ID_UNSELECT_ALL, "U&nselect All", "Ctrl+U", "Unselects all items.", "Unselect all"},
        {ID_INVERT_SELECTION, "&Invert Selection", "", "Selects the unselected items and unselects the selected ones.", "Invert selection"},
        {ID_SELECT_GROUP, "Select &Group...", "Ctrl+G", "Selects the files that match an extension, a size or a date range.", "Select group"},
        {ID_UNSELECT_GROUP, "Uns&elect Group...", "Shift+G", "Unselects the files that match an extension, a size or a date range.", "Unselect group"},
        {ID_COPY_TO, "C&opy To...", "Ctrl+C", "Copies the selected files to another folder.", "Copy to"},
        {ID_MOVE_TO, "&Move To...", "Ctrl+M", "Moves the selected files to another folder.", "Move to"},
        {ID_NEW_FOLDER, "New Folder...", "F7", "Creates a new folder in this folder.", "New folder"},

        // View
        {ID_VIEW_TOOLBAR, "&Toolbar", "", "Shows or hides the toolbar.", "Toolbar"},
        {ID_VIEW_STATUS_BAR, "&Status Bar", "", "Shows or hides the status bar.", "Status bar"},
        {ID_MODE_LARGE_ICONS, "Large Icons", "", "Shows items as large icons.", "Large icons"},
        {ID_MODE_SMALL_ICONS, "Small Icons", "", "Shows items as small icons.", "Small icons"},
        {ID_MODE_LIST, "List", "", "Shows items in a list.", "List"},
        {ID_MODE_DETAILS, "Details", "", "Shows items in a list with their details.", "Details"},
        {ID_SORT_NAME, "Filename", "", "Sorts items by name.", "Sort by name"},
        {ID_SORT_EXTENSION, "Extension", "", "Sorts items by extension.", "Sort by extension"},
        {ID_SORT_SIZE, "Size", "", "Sorts items by size.", "Sort by size"},
        {ID_SORT_DATE, "Date", "", "Sorts items by date.", "Sort by date"},
        {ID_SORT_TYPE, "Type", "", "Sorts items by type.", "Sort by type"},
        {ID_SORT_FORWARD, "Sort Forward", "", "Sorts items in ascending order.", "Sort forward"},
        {ID_SORT_BACKWARD, "Sort Backward", "", "Sorts items in descending order.", "Sort backward"},
        {ID_COLUMN_NAME, "Filename", "", "Shows the file name column, which cannot be hidden.", "Name column"},
        {ID_COLUMN_EXTENSION, "Extension", "", "Shows or hides the extension column.", "Extension column"},
        {ID_COLUMN_SIZE, "Size", "", "Shows or hides the size column.", "Size column"},
        {ID_COLUMN_DATE, "Date", "", "Shows or hides the date column.", "Date column"},
        {ID_COLUMN_ATTRIBUTES, "Attributes", "", "Shows or hides the attributes column.", "Attributes column"},
        {ID_COLUMN_TYPE, "Type", "", "Shows or hides the type column.", "Type column"},
        {ID_FULL_ROW, "Full row selection", "", "Highlights the whole row of a selected item in the details view.", "Full row selection"},
        {ID_PLACE_UPPER_LEFT, "Upper-&left corner", "", "Shows the upper-left corner of an image larger than the preview.", "Upper-left corner"},
        {ID_PLACE_UPPER_RIGHT, "Upper-&right corner", "", "Shows the upper-right corner of an image larger than the preview.", "Upper-right corner"},
        {ID_PLACE_CENTRE, "&Center", "", "Shows the centre of an image larger than the preview.", "Center"},
        {ID_PREVIEW_ZOOM_25, " 25%", "Num+1", "Shows the image at 25% of its size.", "Zoom 25%"},
        {ID_PREVIEW_ZOOM_50, " 50%", "Num+2", "Shows the image at 50% of its size.", "Zoom 50%"},
        {ID_PREVIEW_ZOOM_75, " 75%", "Num+3", "Shows the image at 75% of its size.", "Zoom 75%"},
        {ID_ZOOM_100, "100%", "Num+4", "Shows the image at its actual size.", "Zoom 100%"},
        {ID_PREVIEW_ZOOM_150, "150%", "Num+5", "Shows the image at 150% of its size.", "Zoom 150%"},
        {ID_PREVIEW_ZOOM_200, "200%", "Num+6", "Shows the image at twice its size.", "Zoom 200%"},
        {ID_PREVIEW_ZOOM_300, "300%", "Num+7", "Shows the image at three times its size.", "Zoom 300%"},
        {ID_PREVIEW_ZOOM_500, "500%", "Num+8", "Shows the image at five times its size.", "Zoom 500%"},
        {ID_PREVIEW_ZOOM_1000, "1000%", "Num+9", "Shows the image at ten times its size.", "Zoom 1000%"},
        {ID_PREVIEW_ZOOM_1600, "1600%", "Num+0", "Shows the image at sixteen times its size.", "Zoom 1600%"},
        {ID_AUTO_LOAD, "Auto &load", "", "Loads the preview of the selected image automatically.", "Auto load"},
        {ID_HIDE_NON_IMAGES, "&Hide non-images", "", "Lists only the files that are images.", "Hide non-images"},
        {ID_SHOW_HIDDEN, "Show hidden files", "", "Lists hidden files too.", "Show hidden files"},
        {ID_REFRESH, "&Refresh", "Shift+R", "Lists the folder again.", "Refresh"},
        {ID_AUTO_REFRESH, "&Auto-refresh", "", "Lists the folder again when the window is restored.", "Auto-refresh"},
        {ID_NEXT, "&Next", "Shift+PgUp", "Shows the next image of the folder.", "Next image"},
        {ID_PREVIOUS, "&Previous", "Shift+PgDown", "Shows the previous image of the folder.", "Previous image"},
        {ID_FIRST, "&First", "Shift+Home", "Shows the first image of the folder.", "First image"},
        {ID_LAST, "&Last", "Shift+End", "Shows the last image of the folder.", "Last image"},

        // Go
        {ID_BACK, "&Back", "Backspace", "Goes back to the folder visited before.", "Back"},
        {ID_UP, "&Up One Level", "/", "Goes to the folder that contains this one.", "Up one level"},
        {ID_HOME, "&Home", "Home", "Goes to the home folder.", "Home"},

        // Favorites
        {ID_ADD_FAVORITE, "&Add to Favorites...", "", "Adds this folder and the selected image to the favorites.", "Add to favorites"},
        {ID_ORGANIZE_FAVORITES, "&Organize Favorites...", "", "Renames or deletes favorites.", "Organize favorites"},

        // Zoom
        {ID_ZOOM_MORE, "&More", "Num++", "Enlarges the image by a quarter of its size.", "Zoom in"},
        {ID_ZOOM_LESS, "&Less", "Num+-", "Reduces the image by a quarter of its size.", "Zoom out"},
        {ID_ZOOM_25, "25%", "Num+1", "Shows the image at 25% of its size.", "Zoom 25%"},
        {ID_ZOOM_50, "50%", "Num+2", "Shows the image at 50% of its size.", "Zoom 50%"},
        {ID_ZOOM_75, "75%", "Num+3", "Shows the image at 75% of its size.", "Zoom 75%"},
        {ID_ZOOM_150, "150%", "Num+5", "Shows the image at 150% of its size.", "Zoom 150%"},
        {ID_ZOOM_200, "200%", "Num+6", "Shows the image at twice its size.", "Zoom 200%"},
        {ID_ZOOM_300, "300%", "Num+7", "Shows the image at three times its size.", "Zoom 300%"},
        {ID_ZOOM_500, "500%", "Num+8", "Shows the image at five times its size.", "Zoom 500%"},
        {ID_ZOOM_1000, "1000%", "Num+9", "Shows the image at ten times its size.", "Zoom 1000%"},
        {ID_ZOOM_1600, "1600%", "Num+0", "Shows the image at sixteen times its size.", "Zoom 1600%"},
        {ID_BEST_FIT, "&Best Fit", "Alt+End", "Fits the image into the window.", "Best fit"},
        {ID_ACTUAL_SIZE, "&Actual Size", "Alt+Home", "Shows the image at its actual size.", "Actual size"},

        // Image
        {ID_RESIZE, "&Resize...", "", "Changes the size of the image.", "Resize"},
        {ID_CANVAS_SIZE, "&Canvas Size...", "", "Enlarges or cuts the canvas around the image.", "Canvas size"},
        {ID_BORDERS_CROP, "Add Borders/Crop By Value...", "", "Adds borders to the image or crops it by given amounts.", "Add borders/crop"},
        {ID_SHEAR, "&Shear...", "", "Shears the image.", "Shear"},
        {ID_ROTATE_CW, "C&W 90 degrees", "", "Rotates the image clockwise, 90 degrees.", "Rotate clockwise"},
        {ID_ROTATE_CCW, "CCW 90 d&egrees", "", "Rotates the image counterclockwise, 90 degrees.", "Rotate counterclockwise"},
        {ID_ROTATE_180, "180 &degrees", "", "Rotates the image 180 degrees.", "Rotate 180 degrees"},
        {ID_ROTATE_ARBITRARY, "&Arbitrary...", "", "Rotates the image by any angle.", "Rotate by angle"},
        {ID_FLIP_HORIZONTAL, "&Horizontal", "", "Flips the image horizontally.", "Flip horizontal"},
        {ID_FLIP_VERTICAL, "&Vertical", "", "Flips the image vertically.", "Flip vertical"},
        {ID_FLIP_BOTH, "&Both", "", "Flips the image horizontally and vertically.", "Flip both"},
        {ID_TRANSPOSE, "&Transpose", "", "Swaps the rows and columns of the image.", "Transpose"},

        // Colors
        {ID_BRIGHTNESS, "&Brightness...", "", "Adjusts the brightness of the image.", "Brightness"},
        {ID_CONTRAST, "&Contrast...", "", "Adjusts the contrast of the image.", "Contrast"},
        {ID_GAMMA, "&Gamma...", "", "Adjusts the gamma of the image.", "Gamma"},
        {ID_BALANCE, "Ba&lance...", "", "Adjusts the color balance of the image.", "Color balance"},
        {ID_INVERT_COLORS, "&Invert", "", "Inverts the colors of the image.", "Invert colors"},
        {ID_GRAY_SHADES, "Gray &shades", "", "Converts the image to shades of gray.", "Gray shades"},
        {ID_SWAP_RED_BLUE, "&Substitute Red and Blue", "", "Swaps the red and blue channels of the image.", "Substitute red and blue"},
        {ID_THRESHOLD, "&Threshold...", "", "Turns the image into black and white at a threshold level.", "Threshold"},
        {ID_INTENSITY, "Intensity...", "", "Adjusts the color intensity of the image.", "Intensity"},
        {ID_SOLARIZE, "Solarize...", "", "Inverts the colors of the image above a level.", "Solarize"},
        {ID_COUNT_COLORS, "C&ount", "", "Counts the colors used in the image.", "Count colors"},
        {ID_HISTOGRAM, "&Histogram...", "", "Shows the color histogram of the image.", "Histogram"},

        // Filter
        {ID_FILTER_BLUR, "Blur", "", "Blurs the image.", "Blur"},
        {ID_FILTER_SOFTEN, "Soften", "", "Softens the image.", "Soften"},
        {ID_FILTER_GAUSSIAN_3X3, "Gaussian 3x3", "", "Blurs the image with a 3x3 Gaussian filter.", "Gaussian 3x3"},
        {ID_FILTER_GAUSSIAN_5X5, "Gaussian 5x5", "", "Blurs the image with a 5x5 Gaussian filter.", "Gaussian 5x5"},
        {ID_FILTER_SHARPEN, "Sharpen", "", "Sharpens the image.", "Sharpen"},
        {ID_FILTER_DILATE, "Dilate", "", "Spreads the bright areas of the image.", "Dilate"},
        {ID_FILTER_ERODE, "Erode", "", "Spreads the dark areas of the image.", "Erode"},
        {ID_FILTER_FIND_EDGE, "Find Edge", "", "Finds the edges in the image.", "Find edge"},
        {ID_FILTER_CONTOUR, "Contour", "", "Traces the contours of the image.", "Contour"},
        {ID_FILTER_ADD_NOISE, "Add Noise", "", "Adds random noise to the image.", "Add noise"},
        {ID_FILTER_MEDIAN, "Median Filter", "", "Removes noise from the image with a median filter.", "Median filter"},
        {ID_FILTER_EMBOSS, "Emboss", "", "Embosses the image.", "Emboss"},
        {ID_FILTER_JITTER, "Jitter", "", "Scatters the pixels of the image a little.", "Jitter"},
        {ID_FILTER_NORMAL_MAP, "&Normal Map...", "", "Makes a normal map from the image.", "Normal map"},

        // Tools
        {ID_SLIDE_SHOW, "&Slide show", "", "Shows the folder's images one after another in the viewer.", "Slide show"},
        {ID_SLIDE_RUN, "&Run", "F3", "Starts the slide show.", "Run slide show"},
        {ID_SLIDE_STOP, "&Stop", "F4", "Stops the slide show.", "Stop slide show"},
        {ID_FIND, "&Find Files...", "Ctrl+F", "Finds image files by name, size and date.", "Find files"},
        {ID_COMPARE, "Compare &Directories...", "", "Compares the files of two folders.", "Compare directories"},
        {ID_CONVERT, "&Convert...", "Shift+C", "Converts the selected images to another format.", "Convert"},
        {ID_WALLPAPER, "Set Wallpaper", "", "Makes the image the desktop wallpaper.", "Set wallpaper"},
        {ID_ASSOCIATIONS, "Set file &associations...", "", "Chooses the image types that this program opens.", "File associations"},
        {ID_OPTIONS, "&Options...", "Shift+O", "Changes the program's options.", "Options"},

        // Help
        {ID_HELP_CONTENTS, "Contents...", "F1", "Shows the help contents.", "Help"},
        {ID_HELP_USING, "How to use Help...", "", "Tells how to use the help.", "How to use help"},
        {ID_ABOUT, "&About Oculane...", "", "Shows the program's version and copyright.", "About"},
    };
    return table;
}

MenuEntry Cmd(int id)
{
    const CommandInfo* info = FindCommand(id);
    return MenuEntry{MenuEntry::Command, id, info ? info->Label : "", {}};
}

MenuEntry Sep()
{
    return MenuEntry{MenuEntry::Separator, 0, nullptr, {}};
}

MenuEntry Sub(const char* title, std::initializer_list<MenuEntry> children)
{
    return MenuEntry{MenuEntry::Submenu, 0, title, children};
}

// File: the browser has Preview and Viewer, the viewer only Browser.
MenuEntry FileMenu(bool browser)
{
    MenuEntry menu = Sub("&File", {Cmd(ID_FILE_OPEN), Cmd(ID_FILE_SAVE), Cmd(ID_FILE_SAVE_AS), Sep()});
    if (browser)
        menu.Children.push_back(Cmd(ID_PREVIEW));
    for (const MenuEntry& e :
         {Cmd(ID_RELOAD), Sep(), Sub("A&cquire Image", {Cmd(ID_SELECT_SOURCE), Cmd(ID_ACQUIRE)}), Sep(),
          Cmd(ID_PRINT_SETUP), Cmd(ID_PRINT_PREVIEW), Cmd(ID_PRINT), Cmd(ID_PRINT_ALL), Cmd(ID_PRINT_THUMBNAILS), Sep(),
          Cmd(browser ? ID_VIEWER : ID_BROWSER), Sep(), Cmd(ID_EXIT)})
        menu.Children.push_back(e);
    return menu;
}

MenuEntry ImageMenu()
{
    return Sub("&Image", {Cmd(ID_RESIZE), Cmd(ID_CANVAS_SIZE), Cmd(ID_BORDERS_CROP), Cmd(ID_SHEAR), Sep(),
                          Sub("R&otate", {Cmd(ID_ROTATE_CW), Cmd(ID_ROTATE_CCW), Cmd(ID_ROTATE_180), Cmd(ID_ROTATE_ARBITRARY)}),
                          Sub("&Flip", {Cmd(ID_FLIP_HORIZONTAL), Cmd(ID_FLIP_VERTICAL), Cmd(ID_FLIP_BOTH)}),
                          Cmd(ID_TRANSPOSE)});
}

MenuEntry ColorsMenu()
{
    return Sub("&Colors", {Cmd(ID_BRIGHTNESS), Cmd(ID_CONTRAST), Cmd(ID_GAMMA), Cmd(ID_BALANCE), Sep(),
                           Cmd(ID_INVERT_COLORS), Cmd(ID_GRAY_SHADES), Cmd(ID_SWAP_RED_BLUE), Sep(),
                           Cmd(ID_THRESHOLD), Cmd(ID_INTENSITY), Cmd(ID_SOLARIZE), Sep(),
                           Cmd(ID_COUNT_COLORS), Cmd(ID_HISTOGRAM)});
}

MenuEntry FilterMenu()
{
    return Sub("Fi&lter",
               {Sub("&Blur", {Cmd(ID_FILTER_BLUR), Cmd(ID_FILTER_SOFTEN), Cmd(ID_FILTER_GAUSSIAN_3X3), Cmd(ID_FILTER_GAUSSIAN_5X5)}),
                Cmd(ID_FILTER_SHARPEN),
                Sub("&Edge", {Cmd(ID_FILTER_DILATE), Cmd(ID_FILTER_ERODE), Cmd(ID_FILTER_FIND_EDGE), Cmd(ID_FILTER_CONTOUR)}),
                Sub("N&oise", {Cmd(ID_FILTER_ADD_NOISE), Cmd(ID_FILTER_MEDIAN)}),
                Cmd(ID_FILTER_EMBOSS), Cmd(ID_FILTER_JITTER), Sep(), Cmd(ID_FILTER_NORMAL_MAP)});
}

MenuEntry ToolsMenu(bool browser)
{
    MenuEntry slideShow = browser ? Cmd(ID_SLIDE_SHOW) : Sub("&Slide show", {Cmd(ID_SLIDE_RUN), Cmd(ID_SLIDE_STOP)});
    return Sub("&Tools", {slideShow, Sep(), Cmd(ID_FIND), Cmd(ID_COMPARE), Sep(), Cmd(ID_CONVERT), Cmd(ID_WALLPAPER), Sep(),
                          Cmd(ID_ASSOCIATIONS), Cmd(ID_OPTIONS)});
}

MenuEntry HelpMenu()
{
    return Sub("&Help", {Cmd(ID_HELP_CONTENTS), Cmd(ID_HELP_USING), Sep(), Cmd(ID_ABOUT)});
}

}  // namespace

const std::vector<CommandInfo>& AllCommands()
{
    return Table();
}

const CommandInfo* FindCommand(int id)
{
    static const std::unordered_map<int, const CommandInfo*> index = [] {
        std::unordered_map<int, const CommandInfo*> map;
        for (const CommandInfo& info : Table())
            map.emplace(info.Id, &info);
        return map;
    }();
    auto it = index.find(id);
    return it == index.end() ? nullptr : it->second;
}

const std::vector<MenuEntry>& PreviewContextMenu()
{
    auto item = [](const char* text, int id) { return MenuEntry{MenuEntry::Command, id, text, {}}; };
    static const std::vector<MenuEntry> menu = {
        item("25%", ID_PREVIEW_ZOOM_25), item("50%", ID_PREVIEW_ZOOM_50), item("100%", ID_PREVIEW_ZOOM_100),
        item("200%", ID_PREVIEW_ZOOM_200), item("500%", ID_PREVIEW_ZOOM_500), item("1000%", ID_PREVIEW_ZOOM_1000),
        item("1600%", ID_PREVIEW_ZOOM_1600), Sep(),
        Sub("Image", {item("Resize...", ID_RESIZE), item("Add Borders/Crop By Value...", ID_BORDERS_CROP),
                      item("Rotate CW 90 degrees", ID_ROTATE_CW), item("Rotate CCW 90 degrees", ID_ROTATE_CCW),
                      item("Rotate 180 degrees", ID_ROTATE_180), item("Rotate Arbitrary...", ID_ROTATE_ARBITRARY),
                      item("Flip Horizontal", ID_FLIP_HORIZONTAL), item("Flip Vertical", ID_FLIP_VERTICAL)}),
        Sub("Colors", {item("Brightness...", ID_BRIGHTNESS), item("Contrast...", ID_CONTRAST),
                       item("Gamma...", ID_GAMMA)}),
        Sub("Filter", {item("Blur", ID_FILTER_BLUR), item("Soften", ID_FILTER_SOFTEN),
                       item("Gaussian 3x3", ID_FILTER_GAUSSIAN_3X3), item("Gaussian 5x5", ID_FILTER_GAUSSIAN_5X5),
                       item("Sharpen", ID_FILTER_SHARPEN), item("Add Noise", ID_FILTER_ADD_NOISE),
                       item("Median Filter", ID_FILTER_MEDIAN), item("Jitter", ID_FILTER_JITTER)}),
        Sep(), item("Convert...", ID_CONVERT), item("Add to Favorites...", ID_ADD_FAVORITE)};
    return menu;
}

const std::vector<MenuEntry>& BrowserMenu()
{
    static const std::vector<MenuEntry> menu = {
        FileMenu(true),
        Sub("&Edit", {Cmd(ID_UNDO), Sep(), Cmd(ID_DELETE), Cmd(ID_RENAME), Cmd(ID_RENAME_SERIES), Sep(),
                      Cmd(ID_CUT), Cmd(ID_COPY), Cmd(ID_PASTE), Sep(), Cmd(ID_COPY_IMAGE), Cmd(ID_PASTE_NEW_IMAGE), Sep(),
                      Cmd(ID_SELECT_ALL), Cmd(ID_UNSELECT_ALL), Cmd(ID_INVERT_SELECTION), Cmd(ID_SELECT_GROUP),
                      Cmd(ID_UNSELECT_GROUP), Sep(), Cmd(ID_COPY_TO), Cmd(ID_MOVE_TO), Cmd(ID_NEW_FOLDER)}),
        Sub("&View",
            {Cmd(ID_VIEW_TOOLBAR), Cmd(ID_VIEW_STATUS_BAR), Sep(),
             Sub("View &Mode", {Cmd(ID_MODE_LARGE_ICONS), Cmd(ID_MODE_SMALL_ICONS), Cmd(ID_MODE_LIST), Cmd(ID_MODE_DETAILS)}),
             Sub("S&ort", {Cmd(ID_SORT_NAME), Cmd(ID_SORT_EXTENSION), Cmd(ID_SORT_SIZE), Cmd(ID_SORT_DATE), Cmd(ID_SORT_TYPE),
                           Sep(), Cmd(ID_SORT_FORWARD), Cmd(ID_SORT_BACKWARD)}),
             Sub("Show &Columns", {Cmd(ID_COLUMN_NAME), Cmd(ID_COLUMN_EXTENSION), Cmd(ID_COLUMN_SIZE), Cmd(ID_COLUMN_DATE),
                                   Cmd(ID_COLUMN_ATTRIBUTES), Cmd(ID_COLUMN_TYPE)}),
             Cmd(ID_FULL_ROW), Sep(),
             Sub("&Preview", {Cmd(ID_PLACE_UPPER_LEFT), Cmd(ID_PLACE_UPPER_RIGHT), Cmd(ID_PLACE_CENTRE), Sep(),
                              Cmd(ID_PREVIEW_ZOOM_25), Cmd(ID_PREVIEW_ZOOM_50), Cmd(ID_PREVIEW_ZOOM_75), Cmd(ID_PREVIEW_ZOOM_100),
                              Cmd(ID_PREVIEW_ZOOM_150), Cmd(ID_PREVIEW_ZOOM_200), Cmd(ID_PREVIEW_ZOOM_300),
                              Cmd(ID_PREVIEW_ZOOM_500), Cmd(ID_PREVIEW_ZOOM_1000), Cmd(ID_PREVIEW_ZOOM_1600), Sep(),
                              Cmd(ID_AUTO_LOAD)}),
             Cmd(ID_HIDE_NON_IMAGES), Cmd(ID_SHOW_HIDDEN), Sep(), Cmd(ID_REFRESH), Cmd(ID_AUTO_REFRESH)}),
        Sub("&Go", {Cmd(ID_BACK), Cmd(ID_UP), Cmd(ID_HOME)}),
        Sub("F&avorites", {Cmd(ID_ADD_FAVORITE), Cmd(ID_ORGANIZE_FAVORITES)}),
        ImageMenu(),
        ColorsMenu(),
        FilterMenu(),
        ToolsMenu(true),
        HelpMenu(),
    };
    return menu;
}

namespace {

void CollectCommands(const std::vector<MenuEntry>& entries, std::vector<int>& ids)
{
    for (const MenuEntry& entry : entries) {
        if (entry.Kind == MenuEntry::Command)
            ids.push_back(entry.Id);
        else if (entry.Kind == MenuEntry::Submenu)
            CollectCommands(entry.Children, ids);
    }
}

} // namespace

std::vector<int> MenuCommands(const std::vector<MenuEntry>& menu)
{
    std::vector<int> ids;
    CollectCommands(menu, ids);
    return ids;
}

const std::vector<MenuEntry>& ViewerMenu()
{
    static const std::vector<MenuEntry> menu = {
        FileMenu(false),
        Sub("&Edit", {Cmd(ID_UNDO), Sep(), Cmd(ID_DELETE), Cmd(ID_RENAME), Sep(), Cmd(ID_COPY_IMAGE),
                      Cmd(ID_PASTE_NEW_IMAGE), Sep(), Cmd(ID_COPY_TO), Cmd(ID_MOVE_TO)}),
        Sub("&View", {Cmd(ID_VIEW_TOOLBAR), Cmd(ID_VIEW_STATUS_BAR), Sep(),
                      Sub("&Image", {Cmd(ID_NEXT), Cmd(ID_PREVIOUS), Cmd(ID_FIRST), Cmd(ID_LAST)}), Sep(),
                      Cmd(ID_REFRESH), Cmd(ID_AUTO_REFRESH)}),
        Sub("&Zoom", {Cmd(ID_ZOOM_MORE), Cmd(ID_ZOOM_LESS), Sep(),
                      Sub("Zoom &To", {Cmd(ID_ZOOM_25), Cmd(ID_ZOOM_50), Cmd(ID_ZOOM_75), Cmd(ID_ZOOM_100), Cmd(ID_ZOOM_150),
                                       Cmd(ID_ZOOM_200), Cmd(ID_ZOOM_300), Cmd(ID_ZOOM_500), Cmd(ID_ZOOM_1000),
                                       Cmd(ID_ZOOM_1600)}),
                      Sep(), Cmd(ID_BEST_FIT), Cmd(ID_ACTUAL_SIZE)}),
        ImageMenu(),
        ColorsMenu(),
        FilterMenu(),
        ToolsMenu(false),
        HelpMenu(),
    };
    return menu;
}

const std::vector<int>& BrowserToolbar()
{
    static const std::vector<int> bar = {
        ID_FILE_OPEN, 0, ID_BACK, ID_UP, ID_HOME, ID_REFRESH, 0,
        ID_MODE_LARGE_ICONS, ID_MODE_SMALL_ICONS, ID_MODE_LIST, ID_MODE_DETAILS, 0,
        ID_DELETE, ID_COPY_TO, ID_MOVE_TO, 0,
        ID_VIEWER, ID_SLIDE_SHOW, ID_FIND, ID_CONVERT, ID_OPTIONS,
    };
    return bar;
}

const std::vector<int>& ViewerToolbar()
{
    static const std::vector<int> bar = {
        ID_FILE_OPEN, 0, ID_FIRST, ID_PREVIOUS, ID_NEXT, ID_LAST, 0,
        ID_ZOOM_MORE, ID_ZOOM_LESS, ID_BEST_FIT, ID_ACTUAL_SIZE, 0,
        ID_SLIDE_RUN, ID_SLIDE_STOP, 0, ID_BROWSER,
    };
    return bar;
}

const char* IconName(int id)
{
    struct Icon {
        int Id;
        const char* Name;
    };
    static const Icon icons[] = {
        {ID_FILE_OPEN, ":/icons/open.svg"},
        {ID_FILE_SAVE, ":/icons/save.svg"},
        {ID_FILE_SAVE_AS, ":/icons/save.svg"},
        {ID_RELOAD, ":/icons/reload.svg"},
        {ID_PRINT, ":/icons/print.svg"},
        {ID_VIEWER, ":/icons/viewer.svg"},
        {ID_BROWSER, ":/icons/browser.svg"},
        {ID_UNDO, ":/icons/undo.svg"},
        {ID_DELETE, ":/icons/delete.svg"},
        {ID_PASTE, ":/icons/paste.svg"},
        {ID_COPY_IMAGE, ":/icons/copy-image.svg"},
        {ID_PASTE_NEW_IMAGE, ":/icons/paste.svg"},
        {ID_COPY_TO, ":/icons/copy-to.svg"},
        {ID_MOVE_TO, ":/icons/move-to.svg"},
        {ID_NEW_FOLDER, ":/icons/new-folder.svg"},
        {ID_MODE_LARGE_ICONS, ":/icons/large-icons.svg"},
        {ID_MODE_SMALL_ICONS, ":/icons/small-icons.svg"},
        {ID_MODE_LIST, ":/icons/list.svg"},
        {ID_MODE_DETAILS, ":/icons/details.svg"},
        {ID_SORT_FORWARD, ":/icons/sort-forward.svg"},
        {ID_SORT_BACKWARD, ":/icons/sort-backward.svg"},
        {ID_REFRESH, ":/icons/refresh.svg"},
        {ID_BACK, ":/icons/back.svg"},
        {ID_UP, ":/icons/up.svg"},
        {ID_HOME, ":/icons/home.svg"},
        {ID_NEXT, ":/icons/next.svg"},
        {ID_PREVIOUS, ":/icons/previous.svg"},
        {ID_FIRST, ":/icons/first.svg"},
        {ID_LAST, ":/icons/last.svg"},
        {ID_ZOOM_MORE, ":/icons/zoom-more.svg"},
        {ID_ZOOM_LESS, ":/icons/zoom-less.svg"},
        {ID_BEST_FIT, ":/icons/best-fit.svg"},
        {ID_ACTUAL_SIZE, ":/icons/actual-size.svg"},
        {ID_SLIDE_SHOW, ":/icons/slide-show.svg"},
        {ID_SLIDE_RUN, ":/icons/run.svg"},
        {ID_SLIDE_STOP, ":/icons/stop.svg"},
        {ID_FIND, ":/icons/find.svg"},
        {ID_CONVERT, ":/icons/convert.svg"},
        {ID_OPTIONS, ":/icons/options.svg"},
    };
    for (const Icon& icon : icons)
        if (icon.Id == id)
            return icon.Name;
    return nullptr;
}

double ZoomFactor(int id)
{
    switch (id) {
    case ID_ZOOM_25: case ID_PREVIEW_ZOOM_25: return 0.25;
    case ID_ZOOM_50: case ID_PREVIEW_ZOOM_50: return 0.5;
    case ID_ZOOM_75: case ID_PREVIEW_ZOOM_75: return 0.75;
    case ID_ZOOM_100: case ID_ACTUAL_SIZE: return 1.0;
    case ID_ZOOM_150: case ID_PREVIEW_ZOOM_150: return 1.5;
    case ID_ZOOM_200: case ID_PREVIEW_ZOOM_200: return 2.0;
    case ID_ZOOM_300: case ID_PREVIEW_ZOOM_300: return 3.0;
    case ID_ZOOM_500: case ID_PREVIEW_ZOOM_500: return 5.0;
    case ID_ZOOM_1000: case ID_PREVIEW_ZOOM_1000: return 10.0;
    case ID_ZOOM_1600: case ID_PREVIEW_ZOOM_1600: return 16.0;
    default: return 0.0;
    }
}
