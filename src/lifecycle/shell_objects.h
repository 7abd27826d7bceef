// The two objects through which the shell loads the module as a property-sheet extension of
// the display settings: the class object and the extension object, which adds no page.
#pragma once

#include "platform/platform.h"

// The extension's class identifier; the registration files name the same value:
// {71DFC44E-99D6-4227-BF5F-B92D687429BD}.
extern const CLSID kExtensionClassId;

bool SameGuid(const GUID& a, const GUID& b);
// Class objects and extension objects that exist now.
LONG GetLiveObjectCount();

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** object);
extern "C" HRESULT WINAPI DllCanUnloadNow();

class ExtensionClassObject : public IClassFactory {
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

class DisplayExtension : public IShellPropSheetExt, public IShellExtInit {
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
