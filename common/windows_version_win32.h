#pragma once
// The running system's version class, kept by each deliverable that links this file.

// 0 at load; set by ClassifyWindowsVersion and unchanged when the version is unlisted or
// cannot be read.
extern unsigned char WindowsVersionCode;

// Reads the version with GetVersionExA and classifies it into WindowsVersionCode.
void ClassifyWindowsVersion();
