# Points the tones of the sample table at the chimes of the data folder `data`. The table ships with
# the paths of a package installed under /usr; any other place (a prefix, the build tree) needs its own.
#   table: the Sample.DTT to rewrite    data: the folder that holds toll/
if(EXISTS "${table}" AND NOT data STREQUAL "/usr/share/quelbrook")
  file(READ "${table}" text)
  string(REPLACE "/usr/share/quelbrook/" "${data}/" text "${text}")
  file(WRITE "${table}" "${text}")
endif()
