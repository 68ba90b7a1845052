# Run with -P, in one of three steps, each failing on the first command that fails:
#   -DSTEP=install     -DBUILD_DIR=<Ostrel build> -DPREFIX=<folder>: installs Ostrel there
#   -DSTEP=find_package -DPREFIX=<Ostrel root> -DEXAMPLE_DIR=... -DWORK_DIR=...:
#       builds the example with find_package(Ostrel) through CMAKE_PREFIX_PATH, installs
#       it and runs it from its install tree with no environment variable
#   -DSTEP=pkg-config  -DPREFIX=<Ostrel root> -DEXAMPLE_DIR=... -DWORK_DIR=... -DCXX=...:
#       compiles the example with the flags pkg-config gives through PKG_CONFIG_PATH,
#       and runs it with OSTREL_PLUGIN_PATH naming the plug-in's folder
# PREFIX may be any folder the package was installed or unpacked to; LIBDIR is its
# library folder below PREFIX ("lib").
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE ${PREFIX})
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
  return()
endif()

file(REMOVE_RECURSE ${WORK_DIR})
set(configuration ${EXAMPLE_DIR}/config/shop.xml)
if(STEP STREQUAL "find_package")
  set(installed ${WORK_DIR}/installed)
  run(${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${PREFIX}
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=${installed})
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
  run(${CMAKE_COMMAND} --install ${WORK_DIR}/build)
  # No environment: libshop.so is found in the folder of the configuration that names it.
  run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH --unset=OSTREL_PLUGIN_PATH
      ${installed}/bin/shop_app ${installed}/${LIBDIR}/ostrel-example/shop.xml)
elseif(STEP STREQUAL "pkg-config")
  run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${PREFIX}/${LIBDIR}/pkgconfig
      pkg-config --cflags --libs ostrel)
  separate_arguments(flags UNIX_COMMAND "${last_output}")
  file(GLOB shop_sources ${EXAMPLE_DIR}/shop/src/*.cpp)
  file(MAKE_DIRECTORY ${WORK_DIR})
  run(${CXX} -shared -fPIC -I${EXAMPLE_DIR}/shop/include ${shop_sources} ${flags}
      -Wl,-soname,libshop.so -o ${WORK_DIR}/libshop.so)
  run(${CXX} -I${EXAMPLE_DIR}/shop/include ${EXAMPLE_DIR}/app/main.cpp ${flags}
      -DOSTREL_EXAMPLE_CONFIGURATION="${configuration}" -o ${WORK_DIR}/shop_app)
  # libshop.so is found through the plug-in path of the environment.
  run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH OSTREL_PLUGIN_PATH=/nonexistent:${WORK_DIR}
      ${WORK_DIR}/shop_app)
else()
  message(FATAL_ERROR "unknown STEP '${STEP}'")
endif()
message("${last_output}")
