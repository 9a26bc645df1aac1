// The translation unit the Wine tests' precompiled header is made from (cmake/OrbBuild.cmake).
