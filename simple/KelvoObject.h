#pragma once

#include <QObject>
#include <QString>

class CKelvoApp;

// Kelvo's automation object on the session bus: object "/KelvoObject" of the
// bus name "org.zuvo.Kelvo", interface "org.zuvo.Kelvo.IKelvoObject". The
// service's pages (through the desktop's browser or any program of the
// user's session) hand the running program a logged-in user, a music file to
// open, or the request to close. Every call is passed to the application
// object and answered at once; what goes wrong is shown by the program, never
// returned. The bus delivers the calls on the GUI thread.
//
// The introspection data, with the names the object is known by elsewhere
// (its ProgIDs, class and type library names) as annotations, is the one
// shipped as apps/kelvo/org.zuvo.Kelvo.IKelvoObject.xml.
class CKelvoObject : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.zuvo.Kelvo.IKelvoObject")
    Q_CLASSINFO(
        "D-Bus Introspection",
        "  <interface name=\"org.zuvo.Kelvo.IKelvoObject\">\n"
        "    <annotation name=\"org.zuvo.Kelvo.ProgID\" value=\"Kelvo.KelvoObject.1\"/>\n"
        "    <annotation name=\"org.zuvo.Kelvo.VersionIndependentProgID\" "
        "value=\"Kelvo.KelvoObject\"/>\n"
        "    <annotation name=\"org.zuvo.Kelvo.ClassName\" value=\"KelvoObject Class\"/>\n"
        "    <annotation name=\"org.zuvo.Kelvo.HelpString\" value=\"IKelvoObject 接口\"/>\n"
        "    <annotation name=\"org.zuvo.Kelvo.TypeLibrary\" value=\"Kelvo 1.0 类型库\"/>\n"
        "    <method name=\"SetUserInfo\">\n"
        "      <annotation name=\"org.zuvo.Kelvo.HelpString\" value=\"方法SetUserInfo\"/>\n"
        "      <arg name=\"uid\" type=\"s\" direction=\"in\"/>\n"
        "      <arg name=\"ticket\" type=\"s\" direction=\"in\"/>\n"
        "    </method>\n"
        "    <method name=\"OpenFile\">\n"
        "      <annotation name=\"org.zuvo.Kelvo.HelpString\" value=\"方法OpenFile\"/>\n"
        "      <arg name=\"filename\" type=\"s\" direction=\"in\"/>\n"
        "    </method>\n"
        "    <method name=\"CloseApp\">\n"
        "      <annotation name=\"org.zuvo.Kelvo.HelpString\" value=\"方法CloseApp\"/>\n"
        "    </method>\n"
        "  </interface>\n")
public:
    static const char* const kObjectPath;
    static const char* const kInterface;

    explicit CKelvoObject(CKelvoApp& app, QObject* parent = nullptr);

public slots:
    // The service logged uid in and issued ticket for it: the program logs in
    // with them, after asking when another user is logged in.
    void SetUserInfo(const QString& uid, const QString& ticket);
    // Opens filename as music; answered once the open has started (or was
    // refused: anything but a regular file is).
    void OpenFile(const QString& filename);
    // Ends the program as closing its window does (the volumes are saved).
    void CloseApp();

private:
    CKelvoApp& m_app;
};
