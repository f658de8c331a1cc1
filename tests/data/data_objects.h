#pragma once
// An apartment holding a connection and a recordset object, created and not opened, as
// the program holds them; both are released before the apartment ends.
#include <gtest/gtest.h>

#include "platform/data/ado.h"

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
