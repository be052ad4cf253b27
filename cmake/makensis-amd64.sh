#!/bin/sh
# makensis for a 64-bit installer: CPack's script has no line for the target, so it is given
# on the command line, ahead of the script.
exec makensis "-XTarget amd64-unicode" "$@"
