# Sourced by the scripts that build and run Windows programs: learns whether this host runs 32-bit
# user code and so which tree the Windows tests run in.
#   ORB_HOST_RUNS_32BIT  yes or no
#   ORB_WINE_TREE        build/win32-tests: the tests run the shipped 32-bit binaries under 32-bit
#                        Wine; build/win64: the 64-bit build of the same sources under 64-bit Wine
#   orb_host_note        prints one line when the host runs no 32-bit code
# Hosts of one machine kind differ: on some the kernel runs no 32-bit program at all (IA-32
# emulation off). A 96-byte 32-bit ELF program that calls exit(42) tells which in a millisecond.
# ORB_HOST_RUNS_32BIT=no set beforehand forces the 64-bit form.

orb_runs_32bit_code() {
  local probe rc
  probe=$(mktemp "${TMPDIR:-/tmp}/orb-elf32.XXXXXX") || return 1
  # ELF header (52 bytes), one loadable segment (32 bytes), then: mov eax,1; mov ebx,42; int 0x80.
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
  printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
  printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >>"$probe"
  printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe"
  printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000' >>"$probe"
  printf '\270\001\000\000\000\273\052\000\000\000\315\200' >>"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}

if [ -z "${ORB_HOST_RUNS_32BIT:-}" ]; then
  if orb_runs_32bit_code; then ORB_HOST_RUNS_32BIT=yes; else ORB_HOST_RUNS_32BIT=no; fi
fi
export ORB_HOST_RUNS_32BIT
if [ "$ORB_HOST_RUNS_32BIT" = yes ]; then
  ORB_WINE_TREE=build/win32-tests
else
  ORB_WINE_TREE=build/win64
fi

orb_host_note() {
  [ "$ORB_HOST_RUNS_32BIT" = yes ] ||
    echo "this host runs no 32-bit code: Windows tests run the 64-bit build"
}
