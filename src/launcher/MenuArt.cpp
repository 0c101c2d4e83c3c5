#include "launcher/MenuArt.h"

#include "platform/ThemeIcon.h"
#include "widgets/ImageList.h"

#include <array>

namespace MenuArt {
namespace {

// The side menu's item pictures by number; the menu refers to them by position.
constexpr std::array<const char*, kItemPictures> kItems = {
    "go-home",                   // 1 home
    "preferences-system",        // 2 setup
    "view-list",                 // 3 views
    "help-browser",              // 4 help
    "dialog-information",        // 5 information
    "internet-web-browser",      // 6 web browser
    "mail-message-new",          // 7 mail
    "document-print",            // 8 print
    "appointment-new",           // 9 clock
    "dialog-password",           // 10 key
    "system-users",              // 11 account
    "computer",                  // 12 computer
    "dialog-warning",            // 13 bug report
    "system-lock-screen",        // 14 lock
    "security-high",             // 15 security
    "system-software-install",   // 16 add or remove a program
    "folder",                    // 17 folder
    "preferences-desktop-theme", // 18 themes
};

constexpr std::array<const char*, kGroupPictures> kGroups = {
    "network-workgroup",   // 1 the company
    "system-run",          // 2 the launcher
    "view-list",           // 3 views
    "applications-system", // 4 administration
};

template <std::size_t N> QString Numbered(const std::array<const char*, N>& names, int number) {
    if (number < 1 || number > static_cast<int>(N))
        return {};
    return QString::fromLatin1(names[number - 1]);
}

} // namespace

QString IconName(Kind kind, int number) {
    switch (kind) {
    case Kind::Item:
        return Numbered(kItems, number);
    case Kind::Group:
        return Numbered(kGroups, number);
    case Kind::File:
        return QStringLiteral("text-x-generic");
    case Kind::Folder:
        return QStringLiteral("folder");
    case Kind::Program:
        return QStringLiteral("application-x-executable");
    }
    return {};
}

QIcon Picture(Kind kind, int number) {
    return ThemeIcon::Named(IconName(kind, number));
}

void FillItemImages(ImageList& images) {
    images.Clear();
    for (int number = 1; number <= kItemPictures; ++number)
        images.Add(Picture(Kind::Item, number));
}

void FillGroupImages(ImageList& images) {
    images.Clear();
    for (int number = 1; number <= kGroupPictures; ++number)
        images.Add(Picture(Kind::Group, number));
}

} // namespace MenuArt
