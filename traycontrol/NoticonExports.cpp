#include "traycontrol/NoticonExports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>

#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <memory>

#include "platform/tray/QtNotificationArea.h"
#include "traycontrol/NoticonLibrary.h"
#include "traycontrol/NoticonUsage.h"
#include "traycontrol/cNoticon.h"

#define NOTICON_EXPORT extern "C" __attribute__((visibility("default")))

const NoticonGuid CLSID_cNoticon = {0xa3099a05, 0xea23, 0x4748, {0xba, 0x00, 0xaa, 0xaf, 0xf6, 0xf9, 0xdc, 0xb8}};
const NoticonGuid IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xc0, 0x00, 0, 0, 0, 0, 0, 0x46}};

namespace pellimore {

namespace {

const NoticonGuid kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0, 0, 0, 0, 0, 0x46}};

std::atomic<int> liveObjects{0};
std::atomic<int> serverLocks{0};

bool SameGuid(const NoticonGuid &a, const NoticonGuid &b)
{
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3
           && std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

QString GuidText(const NoticonGuid &g)
{
    return QString::asprintf("{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", g.data1, g.data2, g.data3,
                             g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6],
                             g.data4[7]);
}

QString RecordPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/wallpaper-pellimore/controls/") + QLatin1String(cNoticon::kProgId)
           + QStringLiteral(".control");
}

// The file this code was loaded from.
QString LibraryPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&DllRegisterServer), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QFile::decodeName(info.dli_fname)).absoluteFilePath();
}

class ClassObject final : public NoticonClassObject {
public:
    ClassObject() : library_(area_) { NoticonUsage::ObjectCreated(); }

    cNoticon *CreateInstance(ControlSite &site, QWidget *parent) override
    {
        auto *control = new cNoticon(library_, site, parent);
        control->InitProperties();
        return control;
    }
    void LockServer(bool lock) override { NoticonUsage::Lock(lock); }
    void Release() override { delete this; }

private:
    ~ClassObject() override { NoticonUsage::ObjectDestroyed(); }

    QtNotificationArea area_;
    NoticonLibrary library_;
};

}  // namespace

namespace NoticonUsage {
void ObjectCreated() { ++liveObjects; }
void ObjectDestroyed() { --liveObjects; }
void Lock(bool lock)
{
    if (lock)
        ++serverLocks;
    else if (serverLocks > 0)
        --serverLocks;
}
bool Idle() { return liveObjects == 0 && serverLocks == 0; }
}  // namespace NoticonUsage

}  // namespace pellimore

using namespace pellimore;

NOTICON_EXPORT int32_t DllRegisterServer(void)
{
    const QString library = LibraryPath();
    if (library.isEmpty())
        return NOTICON_SELFREG_E_CLASS;
    const QString path = RecordPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return NOTICON_SELFREG_E_CLASS;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return NOTICON_SELFREG_E_CLASS;
    const QString record = QStringLiteral("[Control]\nProgId=%1\nClassId=%2\nLibrary=%3\n")
                               .arg(QLatin1String(cNoticon::kProgId), GuidText(CLSID_cNoticon), library);
    file.write(record.toUtf8());
    return file.commit() ? NOTICON_S_OK : NOTICON_SELFREG_E_CLASS;
}

NOTICON_EXPORT int32_t DllUnregisterServer(void)
{
    const QString path = RecordPath();
    if (QFile::exists(path) && !QFile::remove(path))
        return NOTICON_SELFREG_E_CLASS;
    return NOTICON_S_OK;
}

NOTICON_EXPORT int32_t DllGetClassObject(const NoticonGuid *classId, const NoticonGuid *interfaceId, void **object)
{
    if (!object)
        return NOTICON_E_POINTER;
    *object = nullptr;
    if (!classId || !interfaceId)
        return NOTICON_E_POINTER;
    if (!SameGuid(*classId, CLSID_cNoticon))
        return NOTICON_CLASS_E_CLASSNOTAVAILABLE;
    if (!SameGuid(*interfaceId, IID_IClassFactory) && !SameGuid(*interfaceId, kIidUnknown))
        return NOTICON_E_NOINTERFACE;
    *object = static_cast<NoticonClassObject *>(new ClassObject);
    return NOTICON_S_OK;
}

NOTICON_EXPORT int32_t DllCanUnloadNow(void) { return NoticonUsage::Idle() ? NOTICON_S_OK : NOTICON_S_FALSE; }
