#include "WindowSystemCheck.h"

#include <QString>
#include <QStringList>
#include <QSysInfo>
#include <QtGlobal>

namespace tarvolin {

namespace {

bool Has(const char* variable) {
    return !qEnvironmentVariableIsEmpty(variable);
}

// One entry of QT_QPA_PLATFORM ("xcb", "wayland-egl", "offscreen:size=...") can start.
bool PlatformCanStart(const QString& entry) {
    const QString name = entry.section(u':', 0, 0).trimmed();
    if (name == u"xcb")
        return Has("DISPLAY");
    if (name.startsWith(u"wayland"))
        return Has("WAYLAND_DISPLAY");
    return true;
}

} // namespace

std::optional<std::string> WhyNoWindowCanOpen() {
    // Windows and macOS always have their window system.
    const QString kernel = QSysInfo::kernelType();
    if (kernel == u"winnt" || kernel == u"darwin")
        return std::nullopt;
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (chosen.isEmpty()) {
        if (Has("DISPLAY") || Has("WAYLAND_DISPLAY"))
            return std::nullopt;
    } else {
        for (const QString& entry : chosen.split(u';', Qt::SkipEmptyParts))
            if (PlatformCanStart(entry))
                return std::nullopt;
    }
    return "no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
}

} // namespace tarvolin
