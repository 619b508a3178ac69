# The program's version: written in files it saves, shown in About and in
# `--version`. The one place it is set.
set(VANTOR_VERSION 6.05.16)
