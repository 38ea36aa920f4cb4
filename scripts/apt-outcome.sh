# Sourced by scripts/setup.sh: what an apt-get run's output says, so that the
# set-up can tell a mirror caught mid-sync from a real failure. Each function
# reads one run's output (standard output and error together) on its stdin;
# tests/rig/SetupTest.sh runs them over recorded outputs.

# The sources an `apt-get update` could not read, one a line, as apt names
# them on its "Err:" lines: an index whose download failed (a mirror mid-sync
# serves one of the wrong size), a repository without a Release file.
qm_apt_failed_sources() {
  sed -n 's/^Err:[0-9]* \(.*\)$/\1/p' | awk '!seen[$0]++'
}

# True when an install failed because packages that must have one version on
# every architecture (Multi-Arch: same) would get different ones: the amd64
# library's newest version is in a suite whose i386 index the mirror did not
# serve. Preferring the release's own suite gives both the same version.
qm_apt_is_version_skew() {
  grep -qE 'pkgProblemResolver::Resolve generated breaks|^The following packages have unmet dependencies:'
}

# The release's codename, from os-release (QM_OS_RELEASE names another file).
qm_release_codename() {
  sed -n 's/^VERSION_CODENAME=//p' "${QM_OS_RELEASE:-/etc/os-release}" | tr -d '"' | head -n 1
}
