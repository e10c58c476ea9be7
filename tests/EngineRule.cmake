# Which engine the shop runs on is the store's business: everything else asks
# the shop's Engine what it needs, and the store's own code its connection's
# ShopSchema. Refused outside src/core/store: the
# location tests, comparing engines, and `bool server` parameters. The
# domain's statements and windows run on the Shop they are handed, never on
# the counter's session shop (which the logon, people and settings use).
# Run as: cmake -DSOURCE=<src folder> -P EngineRule.cmake
cmake_minimum_required(VERSION 3.20)
set(broken "")
file(GLOB_RECURSE files RELATIVE ${SOURCE} ${SOURCE}/*.h ${SOURCE}/*.cpp)
foreach(file IN LISTS files)
  # Within the store, a connection's engine is asked once: its ShopSchema.
  if(NOT file STREQUAL "core/store/Schema.cpp")
    file(STRINGS ${SOURCE}/${file} lines REGEX "driverName\\(\\)[ \t]*[!=]=")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      list(APPEND broken "${file}: ${line}")
    endforeach()
  endif()
  if(file MATCHES "^core/store/")
    continue()
  endif()
  file(STRINGS ${SOURCE}/${file} lines
       REGEX "ShopOnServer|IsServerUrl|engine\\(\\)[ \t]*[!=]=|bool[ \t]+server[ \t]*[,)=]")
  if(file MATCHES "^(core/(catalogue|members|rentals|money|stats|maintenance|auxiliary)|ui/(catalogue|members|rentals|stats|maintenance|auxiliary|settings))/")
    file(STRINGS ${SOURCE}/${file} found REGEX "SessionShop")
    list(APPEND lines ${found})
  endif()
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    list(APPEND broken "${file}: ${line}")
  endforeach()
endforeach()
if(broken)
  list(JOIN broken "\n  " text)
  message(FATAL_ERROR "Engine questions outside the store:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "${count} files ask the engine only through the store")
