#pragma once
// Package drawings by package name; a null image for a name without one.
#include <QImage>
#include <string>

namespace sample {

QImage DrawPackage(const std::string& name);

}  // namespace sample
