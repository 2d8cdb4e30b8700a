#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: proxy_block
short_description: Keep one block entry of a proxy configuration file
version_added: "1.0.0"
author:
  - confkit developers
extends_documentation_fragment:
  - confkit.proxy.confctl
description:
  - Puts or deletes one Protect or Protection entry, LDAPInfo block, Member block or PICS filter
    rule (C(DefinePicsRule) block) of the caching proxy's configuration file, through C(confctl)
    on the managed host.
  - The entry is given as a record, the mapping of field names that C(confctl KIND get --json)
    prints. A put replaces the entry of that name, or adds it when there is none.
  - A second run with the same parameters changes nothing.
options:
  kind:
    description: The kind of entry.
    type: str
    required: true
    choices: [protect, ldap, member, pics]
  name:
    description:
      - The entry's name, the URL template of a Protect entry, the setup name of a Protection entry,
        the name of an LDAPInfo or Member block, the rule name of a PICS rule (case counts).
      - It is the record's C(Name) (ldap, member) or C(RuleName) (pics) when the record has none.
    type: str
    required: true
  record:
    description:
      - The entry's fields by name, as C(confctl KIND get --json) prints them (C(Directive),
        C(Template), C(AuthType), ... for protect; C(Host), C(Port), ... for ldap; C(RCAAddr), ...
        for member; C(Description), C(ActiveDays), ... for pics). Fields left out are absent.
      - Values are texts; numbers are written as texts.
    type: dict
    default: {}
  clauses:
    description:
      - For I(kind=pics) only, the rule's clauses by keyword (C(serviceinfo), C(applies-to),
        C(passurl), C(failurl)), each a list of values; an empty list removes the keyword's
        clauses, a keyword left out keeps its clauses.
    type: dict
  filter:
    description:
      - For I(kind=pics) only, the rule's Filter line (beginning with the word C(Filter)); left out,
        the Filter line stays as it is.
    type: str
  state:
    description:
      - C(present) puts the record, replacing the entry of that name.
      - C(absent) deletes the entry; an entry that is not there is no change.
    type: str
    choices: [present, absent]
    default: present
'''

EXAMPLES = r'''
- name: The administration area is protected
  confkit.proxy.proxy_block:
    path: /etc/tarrowgate/proxy.conf
    kind: protect
    name: ADMIN-PROT
    record:
      Directive: Protection
      SetupName: ADMIN-PROT
      AuthType: Basic
      PasswdFile: /opt/tarrowgate/admin.pwd

- name: A PICS rule with its clauses and Filter line
  confkit.proxy.proxy_block:
    path: "{{ proxy_conf }}"
    kind: pics
    name: Kids
    record:
      Description: for the children's terminals
      ActiveDays: Mon-Fri
    clauses:
      passurl:
        - http://school.example/
    filter: Filter (deny)

- name: No old LDAP server
  confkit.proxy.proxy_block:
    path: "{{ proxy_conf }}"
    kind: ldap
    name: old-ldap
    state: absent
'''

RETURN = r'''
changed:
  description: Whether the file was (or, in check mode, would be) changed.
  returned: always
  type: bool
revision:
  description:
    - The number of the revision that the save recorded in the file's history; none when nothing
      was saved (no change, or check mode).
  returned: always
  type: int
  sample: 3
backup_file:
  description:
    - The copy of the file's content before the change, the previous revision in the file's
      history (C(FILE.history/N)), as the file modules give it with I(backup).
  returned: when the file was changed, outside check mode
  type: str
  sample: /etc/tarrowgate/proxy.conf.history/2
history_head:
  description:
    - The digest of the newest entry of the history's chain, as C(confctl history verify) prints
      it; kept elsewhere, it shows whether the history was rewritten. Empty while the file has no
      history.
  returned: always
  type: str
incidental:
  description:
    - Changes that writing the file back makes besides the edit and that lose nothing (LF-only
      lines written with CR LF), one note each; empty when nothing changed.
  returned: always
  type: list
  elements: str
loss:
  description:
    - What writing the file back loses besides the edit (lines of one bare word, the bytes after a
      Ctrl-Z byte), one note each; not empty only when I(accept_loss) allowed it.
  returned: always
  type: list
  elements: str
diff:
  description: The diff of the lines whose text changes, with a note counting the line ends that change, in diff mode.
  returned: when diff mode is on and the file changed
  type: dict
'''

import json

from ansible.module_utils.six import string_types
from ansible_collections.confkit.proxy.plugins.module_utils.confctl import (
    confctl_module, exit_with_report, run_edit)

# The record field that carries the entry's name, where the kind has one.
NAME_FIELDS = dict(ldap='Name', member='Name', pics='RuleName')


def as_text(value):
    return value if value is None or isinstance(value, string_types) else str(value)


def put_input(module):
    """The JSON that confctl KIND put reads: the record, its name filled in,
    and for a PICS rule its clauses and Filter line."""
    params = module.params
    record = dict((field, as_text(value)) for field, value in params['record'].items())
    name_field = NAME_FIELDS.get(params['kind'])
    if name_field:
        record.setdefault(name_field, params['name'])
    if params['kind'] == 'pics':
        if params['clauses'] is not None:
            record['clauses'] = dict((keyword, [as_text(v) for v in values or []])
                                     for keyword, values in params['clauses'].items())
        if params['filter'] is not None:
            record['filter'] = params['filter']
    elif params['clauses'] is not None or params['filter'] is not None:
        module.fail_json(msg='clauses and filter belong to kind pics')
    return json.dumps(record)


def main():
    module = confctl_module(
        kind=dict(type='str', required=True, choices=['protect', 'ldap', 'member', 'pics']),
        name=dict(type='str', required=True),
        record=dict(type='dict', default={}),
        clauses=dict(type='dict'),
        filter=dict(type='str'),
        state=dict(type='str', choices=['present', 'absent'], default='present'),
    )
    params = module.params
    if params['state'] == 'absent':
        report = run_edit(module, [params['kind'], 'delete'],
                          ['--if-exists', '--', params['path'], params['name']])
    else:
        report = run_edit(module, [params['kind'], 'put'],
                          ['--mode', 'replace', '--anchor=' + params['name'], '--', params['path']],
                          data=put_input(module))
    exit_with_report(module, report)


if __name__ == '__main__':
    main()
