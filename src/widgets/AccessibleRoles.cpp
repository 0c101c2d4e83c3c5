#include "widgets/AccessibleRoles.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// True when the nearest of Qt's own classes above `object`'s class is QWidget itself.
bool PlainWidgetClass(const QObject* object) {
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass()) {
        const char* name = meta->className();
        if (name[0] == 'Q')
            return qstrcmp(name, "QWidget") == 0;
    }
    return false;
}

QAccessibleInterface* WindowRole(const QString& key, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    // Asked once per class, from the object's own upwards: answered for its own class only.
    if (!widget || !widget->isWindow() || key != QLatin1String(object->metaObject()->className()) ||
        !PlainWidgetClass(object))
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

namespace AccessibleRoles {

void Install() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&WindowRole);
}

} // namespace AccessibleRoles
