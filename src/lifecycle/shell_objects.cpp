// The two objects through which the shell loads the module as a property-sheet extension of
// the display settings: the class object and the extension object, which adds no page.
#include <new>

#include "kvsettng/exports.h"
#include "lifecycle/shell_objects.h"

const CLSID kExtensionClassId = {
    0x71DFC44E, 0x99D6, 0x4227, {0xBF, 0x5F, 0xB9, 0x2D, 0x68, 0x74, 0x29, 0xBD}};

namespace {

const IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidShellExtInit = {0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidShellPropSheetExt = {
    0x000214E9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

LONG gLiveObjects;

class ExtensionClassObject final : public IClassFactory {
public:
    ExtensionClassObject();
    ~ExtensionClassObject();
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ULONG references_;
};

class DisplayExtension final : public IShellPropSheetExt, public IShellExtInit {
public:
    DisplayExtension();
    ~DisplayExtension();
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE ReplacePage(EXPPS pageId, LPFNSVADDPROPSHEETPAGE replaceWith,
                                          LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject,
                                         HKEY progIdKey) override;

private:
    ULONG references_;
};

bool SameGuid(const GUID& a, const GUID& b)
{
    const BYTE* left = reinterpret_cast<const BYTE*>(&a);
    const BYTE* right = reinterpret_cast<const BYTE*>(&b);
    for (size_t i = 0; i < sizeof(GUID); ++i) {
        if (left[i] != right[i]) {
            return false;
        }
    }
    return true;
}

// Objects live in the process heap of the platform; the module carries no allocator.
template <typename Object>
Object* CreateObject()
{
    void* memory = GlobalAlloc(GMEM_FIXED, sizeof(Object));
    return memory != nullptr ? new (memory) Object() : nullptr;
}

template <typename Object>
void DestroyObject(Object* object)
{
    object->~Object();
    GlobalFree(object);
}

// Asks a new object for the interface and drops the creator's reference, so that an
// object nobody asked for successfully is gone again.
template <typename Object>
HRESULT HandOut(Object* object, REFIID interfaceId, void** result)
{
    if (object == nullptr) {
        return E_OUTOFMEMORY;
    }
    HRESULT answer = object->QueryInterface(interfaceId, result);
    object->Release();
    return answer;
}

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!SameGuid(classId, kExtensionClassId)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return HandOut(CreateObject<ExtensionClassObject>(), interfaceId, object);
}

extern "C" HRESULT WINAPI DllCanUnloadNow()
{
    return gLiveObjects <= 0 ? S_OK : S_FALSE;
}

ExtensionClassObject::ExtensionClassObject() : references_(1)
{
    ++gLiveObjects;
}

ExtensionClassObject::~ExtensionClassObject()
{
    --gLiveObjects;
}

HRESULT STDMETHODCALLTYPE ExtensionClassObject::QueryInterface(REFIID interfaceId, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    if (SameGuid(interfaceId, kIidUnknown) || SameGuid(interfaceId, kIidClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ExtensionClassObject::AddRef()
{
    return ++references_;
}

ULONG STDMETHODCALLTYPE ExtensionClassObject::Release()
{
    ULONG remaining = --references_;
    if (remaining == 0) {
        DestroyObject(this);
    }
    return remaining;
}

HRESULT STDMETHODCALLTYPE ExtensionClassObject::CreateInstance(IUnknown* outer, REFIID interfaceId,
                                                               void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    return HandOut(CreateObject<DisplayExtension>(), interfaceId, object);
}

HRESULT STDMETHODCALLTYPE ExtensionClassObject::LockServer(BOOL /*lock*/)
{
    return E_NOTIMPL;
}

DisplayExtension::DisplayExtension() : references_(1)
{
    ++gLiveObjects;
}

DisplayExtension::~DisplayExtension()
{
    --gLiveObjects;
}

HRESULT STDMETHODCALLTYPE DisplayExtension::QueryInterface(REFIID interfaceId, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    if (SameGuid(interfaceId, kIidUnknown) || SameGuid(interfaceId, kIidShellPropSheetExt)) {
        *object = static_cast<IShellPropSheetExt*>(this);
    } else if (SameGuid(interfaceId, kIidShellExtInit)) {
        *object = static_cast<IShellExtInit*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE DisplayExtension::AddRef()
{
    return ++references_;
}

ULONG STDMETHODCALLTYPE DisplayExtension::Release()
{
    ULONG remaining = --references_;
    if (remaining == 0) {
        DestroyObject(this);
    }
    return remaining;
}

HRESULT STDMETHODCALLTYPE DisplayExtension::AddPages(LPFNSVADDPROPSHEETPAGE /*addPage*/, LPARAM /*lParam*/)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DisplayExtension::ReplacePage(EXPPS /*pageId*/,
                                                        LPFNSVADDPROPSHEETPAGE /*replaceWith*/,
                                                        LPARAM /*lParam*/)
{
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE DisplayExtension::Initialize(PCIDLIST_ABSOLUTE /*folder*/,
                                                       IDataObject* /*dataObject*/, HKEY /*progIdKey*/)
{
    return S_OK;
}

#ifdef KVSETTNG_TEST_ACCESSORS
LONG GetLiveObjectCount()
{
    return gLiveObjects;
}
#endif
