function F: Integer;
begin
  Result := 3 +;
end;
