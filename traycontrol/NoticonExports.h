#pragma once

// The library's four entry points, for hosts that load libNoticon.so with
// dlopen, and the class object through which they make controls.

#include <cstdint>

class QWidget;

namespace pellimore {
class ControlSite;
class cNoticon;
}  // namespace pellimore

extern "C" {

// A class or interface identifier, laid out as the 16-byte GUID.
struct NoticonGuid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

// Results.
#define NOTICON_S_OK 0
#define NOTICON_S_FALSE 1
#define NOTICON_E_NOINTERFACE ((int32_t)0x80004002)
#define NOTICON_E_POINTER ((int32_t)0x80004003)
#define NOTICON_CLASS_E_CLASSNOTAVAILABLE ((int32_t)0x80040111)
#define NOTICON_SELFREG_E_CLASS ((int32_t)0x80040201)

// The class id of cNoticon, {a3099a05-ea23-4748-ba00-aaaff6f9dcb8}.
extern const NoticonGuid CLSID_cNoticon;
// The class object's interface, {00000001-0000-0000-c000-000000000046};
// IUnknown's {00000000-0000-0000-c000-000000000046} is taken as well.
extern const NoticonGuid IID_IClassFactory;

// Writes the per-user record of the control: its identifier, class id and
// the path of this library, in
// $XDG_DATA_HOME/wallpaper-pellimore/controls/NoticonCtl.cNoticon.control.
// NOTICON_SELFREG_E_CLASS when it cannot be written.
int32_t DllRegisterServer(void);
// Removes that record; NOTICON_S_OK also when there was none.
int32_t DllUnregisterServer(void);
// Hands out a new class object of cNoticon in *object (a
// pellimore::NoticonClassObject*, ended with its Release()).
int32_t DllGetClassObject(const NoticonGuid *classId, const NoticonGuid *interfaceId, void **object);
// NOTICON_S_OK when no control, class object or lock is alive, else NOTICON_S_FALSE.
int32_t DllCanUnloadNow(void);

}  // extern "C"

namespace pellimore {

// Makes controls for a host that loaded the library. It owns the
// notification area its controls share, so it must outlive them.
class NoticonClassObject {
public:
    // A new control on parent (which then owns it), initialised as a newly
    // placed control. Needs a QApplication.
    virtual cNoticon *CreateInstance(ControlSite &site, QWidget *parent) = 0;
    // Keeps the library loaded while locked, with no control alive.
    virtual void LockServer(bool lock) = 0;
    virtual void Release() = 0;

protected:
    virtual ~NoticonClassObject() = default;
};

}  // namespace pellimore
