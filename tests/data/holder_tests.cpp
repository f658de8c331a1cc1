// The apartment and the holders: creation needs COM started, an empty holder raises
// E_POINTER without reaching an object, and references are counted.
#include <gtest/gtest.h>

#include <functional>

#include "data/data_objects.h"
#include "platform/data/ado.h"

TEST(Apartment, CreationOutsideItFailsAndLeavesTheHolderEmpty) {
  ASSERT_FALSE(CoIsInitialized());
  _ConnectionPtr connection;
  EXPECT_EQ(connection.CreateInstance(CLSID_Connection), CO_E_NOTINITIALIZED);
  EXPECT_TRUE(connection == nullptr);

  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(connection.CreateInstance(CLSID_Connection, nullptr, CLSCTX_ALL), S_OK);
  EXPECT_TRUE(connection);
  connection = nullptr;
  CoUninitialize();

  _RecordsetPtr recordset;
  EXPECT_EQ(recordset.CreateInstance(CLSID_Recordset), CO_E_NOTINITIALIZED);
  EXPECT_FALSE(recordset);
}

TEST(Apartment, NestedStartsAreCounted) {
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  EXPECT_TRUE(CoIsInitialized());
  CoUninitialize();
  EXPECT_FALSE(CoIsInitialized());
  CoUninitialize();  // one too many does no harm
  EXPECT_FALSE(CoIsInitialized());
}

TEST(Apartment, AnObjectOutlivingItStillWorksAndCloses) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  _ConnectionPtr connection;
  connection.CreateInstance(CLSID_Connection);
  CoUninitialize();
  EXPECT_EQ(connection->GetState(), adStateClosed);
  EXPECT_EQ(CodeOf([&] { connection->Close(); }), adErrObjectClosed);
}

class Holders : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(Holders, WrongOrUnknownClassLeavesTheHolderEmpty) {
  _ConnectionPtr connection;
  EXPECT_EQ(connection.CreateInstance(CLSID_Recordset), E_NOINTERFACE);
  EXPECT_FALSE(connection);
  CLSID unknown = CLSID_Connection;
  unknown.Data1 = 0x12345678;
  EXPECT_EQ(connection.CreateInstance(unknown), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(connection);
  int outer = 0;
  EXPECT_EQ(connection.CreateInstance(CLSID_Connection, &outer), CLASS_E_NOAGGREGATION);
  EXPECT_FALSE(connection);
}

TEST_F(Holders, EmptyHolderRaisesPointerErrorOnEveryOperation) {
  _ConnectionPtr connection;
  _RecordsetPtr recordset;
  EXPECT_EQ(CodeOf([&] { connection->GetState(); }), E_POINTER);
  EXPECT_EQ(CodeOf([&] { connection->Open("x", "", "", 0); }), E_POINTER);
  EXPECT_EQ(CodeOf([&] { recordset->GetState(); }), E_POINTER);
  EXPECT_EQ(CodeOf([&] { recordset->MoveNext(); }), E_POINTER);
  EXPECT_EQ(CodeOf([&] { recordset.Release(); }), E_POINTER);
  EXPECT_STREQ(_com_error(E_POINTER).ErrorMessage(), "Unknown error 0x80004003");
}

TEST_F(Holders, CopiesShareOneObjectUntilTheLastGoes) {
  _ConnectionPtr first;
  first.CreateInstance(CLSID_Connection);
  Connection* object = first.GetInterfacePtr();
  _ConnectionPtr second = first;
  first = nullptr;
  EXPECT_EQ(second.GetInterfacePtr(), object);
  EXPECT_EQ(second->GetState(), adStateClosed);
  {
    _variant_t reference(second);  // holds its own reference, as a connection argument does
    second.Release();
    EXPECT_FALSE(second);
    EXPECT_EQ(reference.vt, VT_DISPATCH);
    EXPECT_EQ(reference.object(), object);
    EXPECT_EQ(object->AddRef(), 2u);  // still alive: the variant's reference and this one
    object->ComObject::Release();
  }
}

TEST(Values, TextConvertsThroughTheCodePage) {
  _bstr_t text("票号A0123");
  EXPECT_EQ(text.wide(), u"票号A0123");
  EXPECT_STREQ(static_cast<const char*>(text), "票号A0123");
  CString back = text;
  EXPECT_EQ(back, "票号A0123");

  _variant_t value(CString("隐码"));
  EXPECT_EQ(value.vt, VT_BSTR);
  EXPECT_STREQ(static_cast<const char*>(static_cast<_bstr_t>(value)), "隐码");
  EXPECT_STREQ(static_cast<const char*>(_bstr_t(_variant_t())), "");

  _variant_t null;
  null.vt = VT_NULL;
  try {
    _bstr_t never = null;
    (void)never;
    FAIL() << "a NULL converted to text";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), DISP_E_TYPEMISMATCH);
  }
}
