// The desktop stand-in's whole public interface: include this one header.
// Types, constants and functions carry their Windows names in the global
// namespace (narrow-character versions under the plain names).
#pragma once

#include "platform/win32/CommCtrl.h"
#include "platform/win32/CrtFile.h"
#include "platform/win32/StringTable.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinDef.h"
#include "platform/win32/WinInet.h"
#include "platform/win32/WinNls.h"
#include "platform/win32/WinUser.h"
