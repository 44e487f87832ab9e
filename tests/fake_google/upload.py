"""Google Drive v3's resumable uploads: session start, chunk PUTs, status queries and completion.

Routes:
    POST  /upload/drive/v3/files?uploadType=resumable      starts a session for a new file (Bearer token,
                                                            JSON metadata: name, mimeType, parents)
    PATCH /upload/drive/v3/files/ID?uploadType=resumable   starts a session that replaces ID's content;
                                                            "parents" in the metadata is a violation
    PUT   /upload/drive/v3/files?upload_id=U               the session's bytes: "Content-Range: bytes A-B/N",
                                                            a status query "bytes */N" with no body, or
                                                            the whole file with no Content-Range

Both starts need "X-Upload-Content-Length" (decimal) and "X-Upload-Content-Type" and answer 200 with the
session URL in "Location". A PUT answers 308 with "Range: bytes=0-E" (no Range while nothing arrived) until
every byte is there, then 200 with the item (the "fields" of the start apply). A range that leaves a gap,
disagrees with the body's length or declares another total is a violation and answered 400. A range that starts
below what arrived replaces the bytes from there on.

Knobs:
    upload.roundDown     true: an unfinished session keeps only whole multiples of 262,144 bytes, as Google does

Actions:
    POST /__fake/upload/expire   {"status": 404 or 410} -> {"expired": n}: every open session answers that
                                 status from now on
    GET  /__fake/state            "upload": {"sessions": {U: {name, size, received, finished, expired...}}}

With --sink only the length and MD5 of each session's bytes are kept (a resent range then makes the MD5
unknown); otherwise the bytes are kept in memory, and under --store DIR when the upload finishes.
"""

import hashlib
import os
import re
import secrets

import drive
import oauth
from fake_http import Response

GRANULARITY = 262144
RANGE = re.compile(r"bytes (\d+)-(\d+)/(\d+)")
STATUS_QUERY = re.compile(r"bytes \*/(\d+)")


def reset(app):
    app.state["upload"] = {"sessions": {}}
    app.upload_bodies = {}


def register(app):
    app.on_reset(reset)
    app.route("POST", r"/upload/drive/v3/files", start)
    app.route("PATCH", r"/upload/drive/v3/files/([^/]+)", start)
    app.route("PUT", r"/upload/drive/v3/files", put)
    app.action("upload", "expire", expire)


def expire(app, body):
    status = int(body.get("status", 404))
    with app.lock:
        sessions = [s for s in app.state["upload"]["sessions"].values() if not s["finished"]]
        for session in sessions:
            session["expired"] = status
    return {"expired": len(sessions)}


def start(app, request, match):
    denied = oauth.check_bearer(app, request)
    if denied:
        return denied
    if request.query_value("uploadType") != "resumable":
        app.violation(f"{request.method} {request.path} without uploadType=resumable")
        return Response.google_error(400, "badRequest", "Invalid upload type.")
    metadata = drive.json_body(app, request)
    if metadata is None:
        return Response.google_error(400, "parseError", "Parse Error")
    length = request.header("X-Upload-Content-Length") or ""
    mime = request.header("X-Upload-Content-Type")
    if not length.isdigit() or not mime:
        app.violation(f"session start without X-Upload-Content-Length or X-Upload-Content-Type: {length!r}")
        return Response.google_error(400, "badRequest", "Missing upload headers.")
    existing = None
    if match.groups():
        if "parents" in metadata:
            app.violation(f"PATCH {request.path} with parents in the metadata")
            return Response.google_error(403, "fieldNotWritable", "The resource body includes fields which "
                                                                  "are not directly writable.")
        with app.lock:
            item = drive.find(app, match.group(1))
        if item is None:
            return drive.not_found(match.group(1))
        existing = item["id"]
    upload_id = "U" + secrets.token_urlsafe(30)
    with app.lock:
        app.state["upload"]["sessions"][upload_id] = {
            "name": metadata.get("name"), "mimeType": metadata.get("mimeType"), "uploadType": mime,
            "parents": metadata.get("parents", ["root"]), "existing": existing, "size": int(length),
            "received": 0, "md5": None, "finished": None, "expired": None,
            "fields": request.query_value("fields")}
        app.upload_bodies[upload_id] = hashlib.md5() if app.options.sink else bytearray()
    location = f"{app.base_url}/upload/drive/v3/files?uploadType=resumable&upload_id={upload_id}"
    return Response(200, b"", {"Location": location})


def range_header(received):
    return {"Range": f"bytes=0-{received - 1}"} if received else {}


def finished_answer(session):
    fields = drive.parse_fields(session["fields"]) if session["fields"] else drive.DEFAULT_FIELDS
    return Response.json(200, drive.select(session["finished"], fields))


def accept(app, upload_id, session, first, data):
    """Stores `data` at `first`; a sink that is sent bytes again can no longer tell their MD5."""
    if app.options.sink:
        if first != session["received"]:
            session["md5"] = "unknown"
        elif session["md5"] != "unknown":
            app.upload_bodies[upload_id].update(data)
    else:
        body = app.upload_bodies[upload_id]
        del body[first:]
        body.extend(data)
    session["received"] = first + len(data)


def finish(app, upload_id, session):
    if app.options.sink:
        if session["md5"] != "unknown":
            session["md5"] = app.upload_bodies[upload_id].hexdigest()
    else:
        content = bytes(app.upload_bodies[upload_id])
        session["md5"] = hashlib.md5(content).hexdigest()
        if app.options.store:
            with open(os.path.join(app.options.store, upload_id), "wb") as stored:
                stored.write(content)
    fields = {"name": session["name"], "size": str(session["size"]), "md5Checksum": session["md5"],
              "modifiedTime": drive.now_text()}
    if session["mimeType"]:
        fields["mimeType"] = session["mimeType"]
    if session["existing"]:
        item = app.state["drive"]["items"][session["existing"]]
        item.update(fields)
    else:
        fields["parents"] = session["parents"]
        item = drive.store(app, fields)
    session["finished"] = item


def put(app, request, match):
    upload_id = request.query_value("upload_id")
    with app.lock:
        session = app.state["upload"]["sessions"].get(upload_id)
        if session is None:
            return Response.google_error(404, "notFound", "Upload session not found.")
        if session["expired"]:
            return Response.google_error(session["expired"], "notFound", "The upload session has expired.")
        if session["finished"]:
            return finished_answer(session)
        size = session["size"]
        content_range = request.header("Content-Range")
        if content_range is None:
            first, last, total = 0, len(request.body) - 1, size
        elif STATUS_QUERY.fullmatch(content_range):
            if int(STATUS_QUERY.fullmatch(content_range).group(1)) != size or request.body:
                app.violation(f"status query {content_range!r} for a session of {size} bytes")
            return Response(308, b"", range_header(session["received"]))
        elif RANGE.fullmatch(content_range):
            first, last, total = map(int, RANGE.fullmatch(content_range).groups())
        else:
            app.violation(f"PUT with Content-Range {content_range!r}")
            return Response.google_error(400, "badRequest", "Invalid Content-Range.")
        if total != size or last - first + 1 != len(request.body) or first > session["received"] \
                or last >= size:
            app.violation(f"PUT {content_range!r} with {len(request.body)} bytes to a session of {size} "
                          f"bytes holding {session['received']}")
            return Response.google_error(400, "badRequest", "Invalid Content-Range.")
        accept(app, upload_id, session, first, request.body)
        if session["received"] == size:
            finish(app, upload_id, session)
            return finished_answer(session)
        if app.knob("upload.roundDown", False):
            kept = session["received"] // GRANULARITY * GRANULARITY
            if not app.options.sink:
                del app.upload_bodies[upload_id][kept:]
            elif kept != session["received"]:
                session["md5"] = "unknown"
            session["received"] = kept
        return Response(308, b"", range_header(session["received"]))
