#pragma once
// An apartment holding a connection and a recordset object, created and not opened, as
// the program holds them; both are released before the apartment ends.
#include <gtest/gtest.h>

#include <functional>

#include "platform/data/ado.h"

// The code a data call raised, or S_OK.
inline HRESULT CodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const _com_error& e) {
    return e.Error();
  }
  return S_OK;
}

// The program's statement, ordered here so that the rows can be checked one by one.
inline const char* const kOrderedTicketStatement =
    "select b.dcard,b.dcard_sbh from Kcard_ticket_BaseInfo a,Kcard_BaseInfo b "
    "where a.dticket_no = b.dticket_no and a.dticket_no like ? and a.dstate_run=0 "
    "order by b.dcard";

class DataObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(m_connection.CreateInstance(CLSID_Connection), S_OK);
    ASSERT_EQ(m_recordset.CreateInstance(CLSID_Recordset), S_OK);
  }
  void TearDown() override {
    m_recordset = nullptr;
    m_connection = nullptr;
    CoUninitialize();
  }

  _ConnectionPtr m_connection;
  _RecordsetPtr m_recordset;
};
