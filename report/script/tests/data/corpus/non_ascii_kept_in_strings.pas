{ Grüße, café ☕ }
function F: String;
begin
  Result := 'café' + ' ☕ ' + 'naïve ''quoted''';
end;
