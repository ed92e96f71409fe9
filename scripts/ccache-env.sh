# Sourced by test.sh and demo.sh, from the clone's top folder: every compile
# goes through ccache (setup.sh installs it), hashed independently of the
# folder the clone sits in, so that a fresh clone reuses what another one
# compiled. Paths under the top folder are hashed relative to it
# (CCACHE_BASEDIR), and the working directory, which the debug information
# would otherwise carry, is left out (CCACHE_NOHASHDIR; the prefix map in
# CMakeLists.txt takes the folder out of the objects themselves).
export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
