// The ports the ComPort suite meets, as scripts/test-windows gives them to Wine: COM1 an
// answering encoder that hands each answer over whole once its line time has passed, COM2
// a silent one. Here they are virtual encoders on pseudo-terminals of this process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "encoder-sim/VirtualEncoder.h"

namespace {

class ComPorts : public ::testing::Environment {
 public:
  void SetUp() override {
    m_answering = std::make_unique<encoder_sim::VirtualEncoder>(
        encoder_sim::EncoderOptions{.cardData = "BRIMLOCK WINDOWS CARD", .delivery = {.paced = true, .batch = 128}});
    m_silent = std::make_unique<encoder_sim::VirtualEncoder>(encoder_sim::EncoderOptions{.noAnswer = true});
    setenv("BRIMLOCK_COM1", m_answering->slavePath().c_str(), 1);
    setenv("BRIMLOCK_COM2", m_silent->slavePath().c_str(), 1);
  }
  void TearDown() override {
    unsetenv("BRIMLOCK_COM1");
    unsetenv("BRIMLOCK_COM2");
    m_answering.reset();
    m_silent.reset();
  }

 private:
  std::unique_ptr<encoder_sim::VirtualEncoder> m_answering, m_silent;
};

// Only the ComPort suite asks for the ports; the others set their own.
const bool kRegistered = [] {
  ::testing::AddGlobalTestEnvironment(new ComPorts);
  return true;
}();

}  // namespace
