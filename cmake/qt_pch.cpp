// The translation unit the shared precompiled header of Qt is built with.
