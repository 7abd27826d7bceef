// The class object and the extension object: results, reference counts and the count of
// live objects that DllCanUnloadNow answers from.
#include "lifecycle/shell_objects.h"
#include "kvsettng/exports.h"

#include <gtest/gtest.h>

namespace {

const IID kUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kClassFactoryId = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kShellExtInitId = {0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kPropSheetExtId = {0x000214E9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const CLSID kOtherClassId = {0x71DFC44E, 0x99D6, 0x4227, {0xBF, 0x5F, 0xB9, 0x2D, 0x68, 0x74, 0x29, 0xBE}};

int gPagesAdded = 0;

BOOL CALLBACK CountPage(HPROPSHEETPAGE, LPARAM)
{
    ++gPagesAdded;
    return TRUE;
}

IClassFactory* ClassObject()
{
    void* object = nullptr;
    EXPECT_EQ(DllGetClassObject(kExtensionClassId, kClassFactoryId, &object), S_OK);
    return static_cast<IClassFactory*>(object);
}

TEST(ShellObjects, AnotherClassIsNotAvailableAndCreatesNothing)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(kOtherClassId, kClassFactoryId, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(GetLiveObjectCount(), 0);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST(ShellObjects, ANullOutputPointerIsRefusedAndLeavesNothingBehind)
{
    EXPECT_EQ(DllGetClassObject(kExtensionClassId, kClassFactoryId, nullptr), E_POINTER);
    EXPECT_EQ(DllGetClassObject(kOtherClassId, kClassFactoryId, nullptr), E_POINTER);
    EXPECT_EQ(GetLiveObjectCount(), 0);

    IClassFactory* factory = ClassObject();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->QueryInterface(kClassFactoryId, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(nullptr, kPropSheetExtId, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), kPropSheetExtId, nullptr),
              E_POINTER);
    EXPECT_EQ(GetLiveObjectCount(), 1) << "CreateInstance made no extension";

    IShellPropSheetExt* sheetExt = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, kPropSheetExtId, reinterpret_cast<void**>(&sheetExt)), S_OK);
    EXPECT_EQ(sheetExt->QueryInterface(kShellExtInitId, nullptr), E_POINTER);
    EXPECT_EQ(sheetExt->QueryInterface(kClassFactoryId, nullptr), E_POINTER);
    // No query above took a reference: one Release each destroys both objects.
    EXPECT_EQ(sheetExt->Release(), 0u);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(GetLiveObjectCount(), 0);
}

TEST(ShellObjects, TheClassObjectStartsWithOneReferenceAndAnUnsupportedInterfaceDestroysIt)
{
    IClassFactory* factory = ClassObject();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(GetLiveObjectCount(), 1);
    EXPECT_EQ(factory->AddRef(), 2u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    void* unknown = nullptr;
    EXPECT_EQ(factory->QueryInterface(kUnknownId, &unknown), S_OK);
    EXPECT_EQ(unknown, factory);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(GetLiveObjectCount(), 0);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(kExtensionClassId, kShellExtInitId, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(GetLiveObjectCount(), 0);
}

TEST(ShellObjects, CreateInstanceRefusesAggregationAndUnknownInterfaces)
{
    IClassFactory* factory = ClassObject();
    ASSERT_NE(factory, nullptr);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), kPropSheetExtId, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(GetLiveObjectCount(), 1);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, kClassFactoryId, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(GetLiveObjectCount(), 1);
    factory->Release();
    EXPECT_EQ(GetLiveObjectCount(), 0);
}

TEST(ShellObjects, TheExtensionsTwoInterfacesShareOneCountAndAddNoPage)
{
    IClassFactory* factory = ClassObject();
    ASSERT_NE(factory, nullptr);
    IShellPropSheetExt* sheetExt = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, kPropSheetExtId, reinterpret_cast<void**>(&sheetExt)), S_OK);
    factory->Release();
    EXPECT_EQ(GetLiveObjectCount(), 1);

    IShellExtInit* init = nullptr;
    ASSERT_EQ(sheetExt->QueryInterface(kShellExtInitId, reinterpret_cast<void**>(&init)), S_OK);
    EXPECT_NE(static_cast<void*>(init), static_cast<void*>(sheetExt));
    void* primary = nullptr;
    ASSERT_EQ(init->QueryInterface(kPropSheetExtId, &primary), S_OK);
    EXPECT_EQ(primary, sheetExt);
    void* unknown = nullptr;
    ASSERT_EQ(init->QueryInterface(kUnknownId, &unknown), S_OK);
    EXPECT_EQ(unknown, sheetExt);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(init->QueryInterface(kClassFactoryId, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    // One count for both: 1 at creation, +3 from the queries.
    EXPECT_EQ(init->AddRef(), 5u);
    EXPECT_EQ(sheetExt->Release(), 4u);

    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(sheetExt->AddPages(CountPage, 0), S_OK);
    EXPECT_EQ(sheetExt->ReplacePage(0, CountPage, 0), E_FAIL);
    EXPECT_EQ(gPagesAdded, 0);

    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(init->Release(), 3u);
    EXPECT_EQ(init->Release(), 2u);
    EXPECT_EQ(sheetExt->Release(), 1u);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(sheetExt->Release(), 0u);
    EXPECT_EQ(GetLiveObjectCount(), 0);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

}  // namespace
