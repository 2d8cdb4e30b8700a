# -*- coding: utf-8 -*-
# What every module of the collection documents alike: the file, the confctl
# program, and how edits behave.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  path:
    description: The configuration file. It must exist; it is never created.
    type: path
    required: true
  confctl:
    description: The confctl program on the managed host; by default the one on C(PATH).
    type: path
notes:
  - Editors take turns on the file through the lock beside it (C(FILE.lock)), as confctl does.
  - A refused rule or value fails the task with confctl's message and leaves the file untouched.
  - Supports check mode (confctl --dry-run) and diff mode (confctl's unified diff of the file).
'''
