// The library's four entry points, reached the way a host that loads the
// library finds them: dlopen and dlsym, with nothing linked.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>

#include <dlfcn.h>

#include "tests/support/QtPrinters.h"
#include "traycontrol/ControlSite.h"
#include "traycontrol/NoticonExports.h"

namespace pellimore {
namespace {

class RunningSite final : public ControlSite {
public:
    bool UserMode() const override { return true; }
    void PropertyChanged(const QString &) override {}
};

class NoticonExportsTest : public testing::Test {
protected:
    void SetUp() override
    {
        handle_ = dlopen(NOTICON_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        registerServer_ = Symbol<int32_t (*)()>("DllRegisterServer");
        unregisterServer_ = Symbol<int32_t (*)()>("DllUnregisterServer");
        getClassObject_ = Symbol<int32_t (*)(const NoticonGuid *, const NoticonGuid *, void **)>("DllGetClassObject");
        canUnloadNow_ = Symbol<int32_t (*)()>("DllCanUnloadNow");
        classId_ = Symbol<const NoticonGuid *>("CLSID_cNoticon");
        factoryId_ = Symbol<const NoticonGuid *>("IID_IClassFactory");
    }
    void TearDown() override
    {
        if (handle_)
            dlclose(handle_);
    }
    template <typename T>
    T Symbol(const char *name)
    {
        void *symbol = dlsym(handle_, name);
        EXPECT_NE(symbol, nullptr) << name;
        return reinterpret_cast<T>(symbol);
    }
    static QString RecordPath()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
               + QStringLiteral("/wallpaper-pellimore/controls/NoticonCtl.cNoticon.control");
    }

    void *handle_ = nullptr;
    int32_t (*registerServer_)() = nullptr;
    int32_t (*unregisterServer_)() = nullptr;
    int32_t (*getClassObject_)(const NoticonGuid *, const NoticonGuid *, void **) = nullptr;
    int32_t (*canUnloadNow_)() = nullptr;
    const NoticonGuid *classId_ = nullptr;
    const NoticonGuid *factoryId_ = nullptr;
};

TEST_F(NoticonExportsTest, RegistrationWritesAndRemovesThePerUserRecord)
{
    ASSERT_EQ(registerServer_(), NOTICON_S_OK);
    QFile record(RecordPath());
    ASSERT_TRUE(record.open(QIODevice::ReadOnly)) << RecordPath().toStdString();
    const QStringList lines = QString::fromUtf8(record.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    record.close();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("[Control]"));
    EXPECT_EQ(lines[1], QStringLiteral("ProgId=NoticonCtl.cNoticon"));
    EXPECT_EQ(lines[2], QStringLiteral("ClassId={a3099a05-ea23-4748-ba00-aaaff6f9dcb8}"));
    ASSERT_TRUE(lines[3].startsWith(QStringLiteral("Library=")));
    EXPECT_EQ(QFileInfo(lines[3].mid(8)).canonicalFilePath(), QFileInfo(QStringLiteral(NOTICON_LIBRARY)).canonicalFilePath());

    // Registering again rewrites the record.
    EXPECT_EQ(registerServer_(), NOTICON_S_OK);
    EXPECT_EQ(unregisterServer_(), NOTICON_S_OK);
    EXPECT_FALSE(QFile::exists(RecordPath()));
    EXPECT_EQ(unregisterServer_(), NOTICON_S_OK);
}

TEST_F(NoticonExportsTest, TheClassObjectIsHandedOutOnlyForTheControlsClass)
{
    void *object = reinterpret_cast<void *>(1);
    NoticonGuid other = *classId_;
    other.data4[7] ^= 1;
    EXPECT_EQ(getClassObject_(&other, factoryId_, &object), NOTICON_CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(getClassObject_(classId_, classId_, &object), NOTICON_E_NOINTERFACE);
    EXPECT_EQ(getClassObject_(classId_, factoryId_, nullptr), NOTICON_E_POINTER);
    EXPECT_EQ(canUnloadNow_(), NOTICON_S_OK);
}

TEST_F(NoticonExportsTest, TheLibraryStaysWhileAControlAClassObjectOrALockLives)
{
    EXPECT_EQ(canUnloadNow_(), NOTICON_S_OK);
    void *object = nullptr;
    ASSERT_EQ(getClassObject_(classId_, factoryId_, &object), NOTICON_S_OK);
    auto *factory = static_cast<NoticonClassObject *>(object);
    EXPECT_EQ(canUnloadNow_(), NOTICON_S_FALSE);

    RunningSite site;
    auto *form = new QWidget;
    QWidget *control = reinterpret_cast<QWidget *>(factory->CreateInstance(site, form));
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), "pellimore::cNoticon");
    EXPECT_EQ(control->parentWidget(), form);
    EXPECT_EQ(control->size(), QSize(34, 34));

    factory->LockServer(true);
    delete form;  // and the control with it
    EXPECT_EQ(canUnloadNow_(), NOTICON_S_FALSE);
    factory->LockServer(false);
    EXPECT_EQ(canUnloadNow_(), NOTICON_S_FALSE);  // the class object lives
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), NOTICON_S_OK);

    // A lock alone keeps the library, too.
    ASSERT_EQ(getClassObject_(classId_, factoryId_, &object), NOTICON_S_OK);
    factory = static_cast<NoticonClassObject *>(object);
    factory->LockServer(true);
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), NOTICON_S_FALSE);
    ASSERT_EQ(getClassObject_(classId_, factoryId_, &object), NOTICON_S_OK);
    factory = static_cast<NoticonClassObject *>(object);
    factory->LockServer(false);
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), NOTICON_S_OK);
}

}  // namespace
}  // namespace pellimore
