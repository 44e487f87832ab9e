"""Google Drive v3's metadata endpoints: listing, reading one item, creating folders, trashing, about.

Routes (each needs "Authorization: Bearer T" with a token the oauth module issued; a missing header is a
violation):
    GET   /drive/v3/files        a listing: "q" in the subset below, "pageSize" (1 to 1000, capped by the
                                 knob), "pageToken", "fields" honoured, "spaces"
    GET   /drive/v3/files/ID     one item; ID is one percent-encoded path segment, "root" means the root
    POST  /drive/v3/files        creates an item from JSON metadata (no content): name, mimeType, parents
    PATCH /drive/v3/files/ID     changes "trashed" or "name"; "parents" in the body is a violation
    GET   /drive/v3/about        the storage quota; "fields" is required as Google requires it

The query subset: clauses joined by "and", each one of  trashed = true|false,  name = '...',
mimeType = '...',  '...' in parents. A string literal escapes "'" and "\\" with a backslash; any other
escape, or any other clause, is answered 400 and recorded as a violation.

Items have 33-character ids, name, mimeType, parents, trashed, size (decimal text, files only),
md5Checksum and modifiedTime. The root folder has a fixed id that the alias "root" means; listings never
return it. Listing order is creation order. A page token holds "+" and "/", so it survives only when the
client encodes it.

Knobs:
    drive.pageSizeCap    at most this many items a page, whatever pageSize asks (default 1000)
    drive.quota          the storageQuota object (default a 15 GiB limit and no usage); false leaves it out
    drive.synthetic      N: N generated files in the root, after the stored items, for the cap test and the
                         benchmark (never stored, so the state stays small)

Actions:
    POST /__fake/drive/seed    {"items": [item, ...]} -> {"items": [...]}: stores them as given; id, parents
                               (the root), trashed (false) and modifiedTime are filled in when absent
"""

import json
import secrets
import urllib.parse
from datetime import datetime, timezone

import oauth
from fake_http import Response

ROOT_ID = "0AFakeRootFolderIdUk9PVAxxxxxxxxx"
FOLDER = "application/vnd.google-apps.folder"
DEFAULT_FIELDS = {"kind": None, "id": None, "name": None, "mimeType": None}


class QueryError(Exception):
    pass


def reset(app):
    app.state["drive"] = {"items": {}, "pageTokens": {}}


def register(app):
    app.on_reset(reset)
    app.route("GET", r"/drive/v3/files", listing)
    app.route("GET", r"/drive/v3/files/([^/]+)", get_item)
    app.route("POST", r"/drive/v3/files", create)
    app.route("PATCH", r"/drive/v3/files/([^/]+)", update)
    app.route("GET", r"/drive/v3/about", about)
    app.action("drive", "seed", seed)


def new_id():
    return "1" + secrets.token_urlsafe(24)


def now_text():
    return datetime.now(timezone.utc).strftime("%Y-%m-%dT%H:%M:%S.%f")[:-3] + "Z"


def root_item():
    return {"kind": "drive#file", "id": ROOT_ID, "name": "My Drive", "mimeType": FOLDER, "trashed": False}


def store(app, fields):
    item = {"kind": "drive#file", "id": new_id(), "parents": [ROOT_ID], "trashed": False,
            "modifiedTime": now_text()}
    item.update(fields)
    item["parents"] = [ROOT_ID if parent == "root" else parent for parent in item["parents"]]
    with app.lock:
        app.state["drive"]["items"][item["id"]] = item
    return item


def seed(app, body):
    return {"items": [store(app, fields) for fields in body.get("items", [])]}


def find(app, raw_id):
    item_id = urllib.parse.unquote(raw_id)
    if item_id in ("root", ROOT_ID):
        return root_item()
    return app.state["drive"]["items"].get(item_id)


def not_found(raw_id):
    return Response.google_error(404, "notFound", f"File not found: {urllib.parse.unquote(raw_id)}.")


def synthetic_item(index):
    return {"kind": "drive#file", "id": f"syn{index:030d}", "name": f"file-{index:06d}.txt",
            "mimeType": "text/plain", "parents": [ROOT_ID], "trashed": False, "size": str(index % 4096),
            "md5Checksum": f"{index:032x}", "modifiedTime": "2026-12-09T08:21:00.000Z"}


# Fields: "a,b(c,d)" -> {"a": None, "b": {"c": None, "d": None}}; None selects the whole value.
def parse_fields(text):
    def parse(at):
        selection = {}
        name = ""
        while at < len(text):
            c = text[at]
            if c == "(":
                selection[name.strip()], at = parse(at + 1)
                name = None
            elif c == ")":
                break
            elif c == ",":
                if name is not None and name.strip():
                    selection[name.strip()] = None
                name = ""
            elif name is not None:
                name += c
            at += 1
        if name is not None and name.strip():
            selection[name.strip()] = None
        return selection, at
    return parse(0)[0]


def select(value, selection):
    if selection is None:
        return value
    if isinstance(value, list):
        return [select(element, selection) for element in value]
    return {key: select(value[key], sub) for key, sub in selection.items() if key in value}


def fields_of(request, default):
    text = request.query_value("fields")
    return parse_fields(text) if text else default


def tokenize(query):
    tokens, at = [], 0
    while at < len(query):
        c = query[at]
        if c == " ":
            at += 1
        elif c == "'":
            at += 1
            text = ""
            while True:
                if at >= len(query):
                    raise QueryError("unterminated string literal")
                if query[at] == "\\":
                    if at + 1 >= len(query) or query[at + 1] not in "'\\":
                        raise QueryError(f"invalid escape at {at}")
                    text += query[at + 1]
                    at += 2
                elif query[at] == "'":
                    at += 1
                    break
                else:
                    text += query[at]
                    at += 1
            tokens.append(("text", text))
        elif c == "=":
            tokens.append(("op", "="))
            at += 1
        else:
            end = at
            while end < len(query) and query[end].isalpha():
                end += 1
            if end == at:
                raise QueryError(f"unexpected {c!r} at {at}")
            tokens.append(("word", query[at:end]))
            at = end
    return tokens


# A query as a list of predicates over items.
def parse_query(query):
    clauses, current = [], []
    for token in tokenize(query) + [("word", "and")]:
        if token == ("word", "and"):
            clauses.append(current)
            current = []
        else:
            current.append(token)
    predicates = []
    for clause in clauses:
        if len(clause) == 3 and clause[1] == ("op", "="):
            (kind, key), _, (value_kind, value) = clause
            if kind == "word" and key in ("name", "mimeType") and value_kind == "text":
                predicates.append(lambda item, key=key, value=value: item.get(key) == value)
                continue
            if kind == "word" and key == "trashed" and value_kind == "word" and value in ("true", "false"):
                predicates.append(lambda item, value=value == "true": item.get("trashed", False) == value)
                continue
        if len(clause) == 3 and clause[0][0] == "text" and clause[1:] == [("word", "in"), ("word", "parents")]:
            parent = ROOT_ID if clause[0][1] == "root" else clause[0][1]
            predicates.append(lambda item, parent=parent: parent in item.get("parents", []))
            continue
        raise QueryError(f"unsupported clause {clause}")
    return predicates


def matching(app, query):
    predicates = parse_query(query) if query else []
    matches = lambda item: all(predicate(item) for predicate in predicates)  # noqa: E731
    stored = [item_id for item_id, item in app.state["drive"]["items"].items() if matches(item)]
    count = app.knob("drive.synthetic", 0)
    # Generated files differ only in name and id: one sample decides unless the query names a name.
    if count and "name" not in query and not matches(synthetic_item(0)):
        count = 0
    synthetic = [index for index in range(count) if matches(synthetic_item(index))] if "name" in query \
        else range(count)
    return {"stored": stored, "synthetic": synthetic}


def listing(app, request, match):
    denied = oauth.check_bearer(app, request)
    if denied:
        return denied
    query = request.query_value("q") or ""
    try:
        page_size = int(request.query_value("pageSize") or "100")
    except ValueError:
        page_size = 0
    if not 1 <= page_size <= 1000:
        app.violation(f"listing with pageSize {request.query_value('pageSize')!r}")
        return Response.google_error(400, "invalid", f"Invalid value '{page_size}'. Values must be within the "
                                                     "range: [1, 1000]")
    page_size = min(page_size, app.knob("drive.pageSizeCap", 1000))
    state = app.state["drive"]
    with app.lock:
        token = request.query_value("pageToken")
        if token is not None:
            record = state["pageTokens"].get(token)
            if record is None or record["q"] != query:
                app.violation(f"listing with an unknown page token or another query: {token!r}")
                return Response.google_error(400, "invalid", "Invalid Value")
            found, offset = record["found"], record["offset"]
        else:
            try:
                found = matching(app, query)
            except QueryError as error:
                app.violation(f"listing query {query!r}: {error}")
                return Response.google_error(400, "invalid", "Invalid Value")
            offset = 0
        stored, synthetic = found["stored"], found["synthetic"]
        total = len(stored) + len(synthetic)
        files = []
        for position in range(offset, min(offset + page_size, total)):
            if position < len(stored):
                files.append(state["items"][stored[position]])
            else:
                files.append(synthetic_item(synthetic[position - len(stored)]))
        answer = {"kind": "drive#fileList", "incompleteSearch": False, "files": files}
        if offset + page_size < total:
            next_token = secrets.token_urlsafe(12) + "+/="
            state["pageTokens"][next_token] = {"q": query, "found": found, "offset": offset + page_size}
            answer["nextPageToken"] = next_token
    default = {"kind": None, "incompleteSearch": None, "nextPageToken": None, "files": DEFAULT_FIELDS}
    return Response.json(200, select(answer, fields_of(request, default)))


def get_item(app, request, match):
    denied = oauth.check_bearer(app, request)
    if denied:
        return denied
    with app.lock:
        item = find(app, match.group(1))
    if item is None:
        return not_found(match.group(1))
    return Response.json(200, select(item, fields_of(request, DEFAULT_FIELDS)))


def json_body(app, request):
    content_type = request.header("Content-Type") or ""
    if content_type.split(";")[0].strip() != "application/json":
        app.violation(f"{request.method} {request.path} with Content-Type {content_type!r}")
    try:
        body = json.loads(request.body or b"{}")
    except ValueError:
        body = None
    if not isinstance(body, dict):
        app.violation(f"{request.method} {request.path} with a body that is not a JSON object")
        return None
    return body


def create(app, request, match):
    denied = oauth.check_bearer(app, request)
    if denied:
        return denied
    body = json_body(app, request)
    if body is None:
        return Response.google_error(400, "parseError", "Parse Error")
    parents = body.get("parents", ["root"])
    with app.lock:
        for parent in parents:
            folder = find(app, urllib.parse.quote(parent, safe=""))
            if folder is None or folder["mimeType"] != FOLDER:
                return not_found(parent)
        item = store(app, {"name": body.get("name", "Untitled"),
                           "mimeType": body.get("mimeType", "application/octet-stream"), "parents": parents})
    return Response.json(200, select(item, fields_of(request, DEFAULT_FIELDS)))


def update(app, request, match):
    denied = oauth.check_bearer(app, request)
    if denied:
        return denied
    body = json_body(app, request)
    if body is None:
        return Response.google_error(400, "parseError", "Parse Error")
    if "parents" in body:
        app.violation(f"PATCH {request.path} with parents in the body")
        return Response.google_error(403, "fieldNotWritable", "The resource body includes fields which are "
                                                              "not directly writable.")
    with app.lock:
        item = find(app, match.group(1))
        if item is None or item["id"] == ROOT_ID:
            return not_found(match.group(1))
        for key in ("trashed", "name"):
            if key in body:
                item[key] = body[key]
        item["modifiedTime"] = now_text()
    return Response.json(200, select(item, fields_of(request, DEFAULT_FIELDS)))


def about(app, request, match):
    denied = oauth.check_bearer(app, request)
    if denied:
        return denied
    if not request.query_value("fields"):
        return Response.google_error(400, "required", "The 'fields' parameter is required for this method.")
    answer = {"kind": "drive#about"}
    quota = app.knob("drive.quota", {"limit": "16106127360", "usage": "0", "usageInDrive": "0",
                                     "usageInDriveTrash": "0"})
    if quota is not False:
        answer["storageQuota"] = quota
    return Response.json(200, select(answer, fields_of(request, None)))
