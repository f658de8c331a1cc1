#pragma once
// Placeholder until the owner-drawn button lands: a plain push button.
#include "platform/ui/afxwin.h"

class CXPButton : public CButton {};
