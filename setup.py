"""The Python module `morva` for `pip install .`: CMake builds it (python/CMakeLists.txt, the
same libraries as the program) and setuptools puts the built extension into the wheel.

The build folder is setuptools' temporary folder (build/temp.*/cmake under the repository), kept
between installs so that a second install rebuilds only what changed. CMake options may be added
in the environment variable CMAKE_ARGS (blank-separated), the parallel jobs in
CMAKE_BUILD_PARALLEL_LEVEL (default 2), a compiler cache in CMAKE_CXX_COMPILER_LAUNCHER.
"""

import os
import re
import shlex
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

here = Path(__file__).resolve().parent


def project_version():
    """The version of the CMake project, so that the module and the program carry one number."""
    text = (here / "CMakeLists.txt").read_text(encoding="utf-8")
    found = re.search(r"project\(\s*morva\s+VERSION\s+([0-9.]+)", text)
    if not found:
        sys.exit("setup.py: no `project(morva VERSION x.y.z)` in CMakeLists.txt")
    return found.group(1)


class cmake_build_ext(build_ext):
    """Configures and builds the CMake target morva_python and copies the module it makes to
    where setuptools packs extensions."""

    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        configure = [
            "cmake", "-S", str(here), "-B", str(build),
            "-DCMAKE_BUILD_TYPE=Release",
            "-DMORVA_PYTHON=ON",
            "-DMORVA_TESTS=OFF",
            # An installation should not fail on a warning a newer compiler adds.
            "-DMORVA_WERROR=OFF",
            f"-DPython_EXECUTABLE={sys.executable}",
        ] + shlex.split(os.environ.get("CMAKE_ARGS", ""))
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "morva_python", "-j", jobs],
                       check=True)
        built = sorted((build / "python").glob("morva.*.so"))
        if len(built) != 1:
            sys.exit(f"setup.py: expected one built module in {build / 'python'}, found {built}")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)


(here / "build").mkdir(exist_ok=True)
setup(
    version=project_version(),
    # The module is the extension alone: no Python packages to look for among the folders.
    packages=[],
    py_modules=[],
    ext_modules=[Extension("morva", sources=[])],
    cmdclass={"build_ext": cmake_build_ext},
    zip_safe=False,
    # The package's metadata folder goes to build/ with the rest, not beside the sources.
    options={"egg_info": {"egg_base": str(here / "build")}},
)
