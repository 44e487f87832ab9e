"""The request and answer types that the fake server's modules share."""

import json
import urllib.parse


class Request:
    def __init__(self, method, target, headers, body, connection):
        self.method = method
        self.target = target
        split = urllib.parse.urlsplit(target)
        self.path = split.path
        self.raw_query = split.query
        # Decoded as Google decodes a query: "+" is a blank.
        self.query = urllib.parse.parse_qsl(split.query, keep_blank_values=True)
        self.headers = headers
        self.body = body
        self.connection = connection

    def header(self, name):
        return self.headers.get(name)

    def query_value(self, name):
        for key, value in self.query:
            if key == name:
                return value
        return None


class Response:
    def __init__(self, status, body=b"", headers=None):
        self.status = status
        self.body = body if isinstance(body, bytes) else body.encode()
        self.headers = dict(headers or {})

    @staticmethod
    def json(status, value, headers=None):
        merged = {"Content-Type": "application/json; charset=UTF-8"}
        merged.update(headers or {})
        return Response(status, json.dumps(value, indent=2), merged)

    @staticmethod
    def google_error(status, reason, message):
        """Google's API error envelope."""
        return Response.json(status, {"error": {"code": status, "message": message,
                                                "errors": [{"message": message, "domain": "global",
                                                            "reason": reason}]}})
