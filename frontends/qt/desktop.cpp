// French for Qt's own texts, and desktop notifications over D-Bus.
#include "frontends/qt/desktop.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QVariantMap>

namespace kx {

bool useFrench(QCoreApplication& app) {
    QLocale french(QLocale::French, QLocale::France);
    QLocale::setDefault(french);
    auto* translator = new QTranslator(&app);
    if (!translator->load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void notifyDesktop(const QString& text) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Klarbrix") << 0u << QStringLiteral("klarbrix") << QStringLiteral("Klarbrix") << text
         << QStringList() << QVariantMap() << -1;
    bus.send(call);  // the answer, or an error when no service is there, is not waited for
}

bool JobEndNotice::message(Clock::time_point now, bool programInFront) {
    bool ended = false;
    if (queueRun_) {
        queueRun_ = false;
        ended = true;
    } else if (runStart_) {
        ended = now - *runStart_ >= longRun;
        runStart_.reset();
    }
    return ended && !programInFront;
}

}  // namespace kx
