#pragma once
// The application object and the screen object of the program: title,
// version, folder and executable name, and the screen's mouse pointer.
#include <QString>

namespace platform {

class App {
public:
    static QString Title();           // "Finoteca"
    static void setTitle(const QString &title);
    // The project's version, from the build: "2.0.0" is 2, 0, 0.
    static int Major();
    static int Minor();
    static int Revision();
    static QString Version();         // "Major.Minor.Revision"
    // Folder of the executable, without a trailing separator.
    static QString Path();
    // File name of the executable without its extension.
    static QString EXEName();
};

// Mouse pointer values the program uses.
constexpr int vbDefault = 0;
constexpr int vbArrow = 1;
constexpr int vbHourglass = 11;

class Screen {
public:
    static int MousePointer();
    // 0 takes every override cursor away; any other value shows the
    // matching pointer as the application's override cursor.
    static void setMousePointer(int pointer);
    // Twips per pixel of the primary screen (1440 / logical dpi).
    static double TwipsPerPixelX();
    static double TwipsPerPixelY();
};

} // namespace platform
